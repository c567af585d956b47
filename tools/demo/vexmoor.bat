@echo off
rem Starts the Vexmoor demo in a new game; install.exe waits for this file.
VEXDEMO.EXE /new
