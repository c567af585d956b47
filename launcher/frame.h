// The launcher window: its class, its creation from the dialog template, the
// message loop and the window procedure.
#pragma once

#include <windows.h>

// The launcher window, hidden until the installed road shows it. Null when
// it could not be created.
extern HWND hwnd;

// Registers the window class "Install" and creates the hidden launcher
// window from the dialog template "INSTALL" into `hwnd`.
void Create_Launcher_Window(HINSTANCE instance, HINSTANCE previous);
// The first run (install.h) as a flow: a command sent to the hidden window
// meanwhile starts nothing.
void First_Run_Flow(HWND window);
// Dispatches the thread's messages until the quit message; returns its
// wParam, or 0 when an error ended the loop.
int Message_Loop();
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Started while another launcher runs: brings that launcher's warning to
// the front while it shows one, else its window when it shows it and runs
// no flow; while a child runs or the record poll pauses, nothing, for it
// would cover the installer or the game.
void Raise_Running_Launcher();
