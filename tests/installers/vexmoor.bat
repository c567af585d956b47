@Setsound.exe --role GAME
