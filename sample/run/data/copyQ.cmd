@echo off
rem Leaves a mark that the program ran this script: copyQ-ran.txt beside it
rem (the data folder), one line per run with the date and time.
>>"%~dp0copyQ-ran.txt" echo copyQ ran %DATE% %TIME%
exit /b 0
