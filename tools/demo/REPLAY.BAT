@echo off
rem Resumes the saved Vexmoor demo game ("start /w": see vexmoor.bat).
start /w VEXDEMO.EXE /resume
