@echo off
rem Resumes the saved Vexmoor demo game.
VEXDEMO.EXE /resume
