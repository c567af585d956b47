@echo off
rem Starts the Vexmoor demo in a new game; install.exe waits for this file.
rem "start /w" waits for the game: Windows 95 to ME's COMMAND.COM would
rem otherwise end this file, and install.exe, while the game runs.
start /w VEXDEMO.EXE /new
