@echo off
rem copyQ.cmd: copies the files that the scanner moved into Korvane Scan's
rem quarantine (C:\KorvaneScanData\data\quarantine) into the quarantine folder of
rem ESET Smart Security for the current user, where the product lists them after
rem the user logs off and on again (Tools - Quarantine) and can restore them.
rem
rem ESET Smart Security keeps its quarantine per user, in the local application
rem data folder:
rem   %LOCALAPPDATA%\ESET\ESET Smart Security\Quarantine   (ESET Smart Security 5 to 9)
rem   %LOCALAPPDATA%\ESET\ESET Security\Quarantine         (later versions)
rem   (Windows XP has no %LOCALAPPDATA%: %USERPROFILE%\Local Settings\Application Data)
rem Files are copied only when the product's own folder (the part before
rem \Quarantine) exists, that is when it is installed for this user. The source
rem files stay where they are; a file of the same name in the product's
rem quarantine is replaced; nothing else is touched.
rem
rem Korvane Scan starts this script hidden and waits for it, so it never asks
rem anything. What it did and did not do is shown and appended to
rem C:\KorvaneScanData\copyQ.log.
rem Exit code: 0 all files copied, 1 nothing to copy, 2 no ESET Smart Security
rem quarantine for this user, 3 a copy failed.
setlocal EnableExtensions DisableDelayedExpansion

set "SOURCE=C:\KorvaneScanData\data\quarantine"
set "LOG=C:\KorvaneScanData\copyQ.log"
set "LOCALDATA=%LOCALAPPDATA%"
if not defined LOCALDATA set "LOCALDATA=%USERPROFILE%\Local Settings\Application Data"
if not exist "C:\KorvaneScanData\" mkdir "C:\KorvaneScanData" >nul 2>&1

call :say "---- %DATE% %TIME% copyQ.cmd for user %USERNAME%"

set "TARGET="
for %%P in ("ESET Smart Security" "ESET Security") do (
  if not defined TARGET if exist "%LOCALDATA%\ESET\%%~P\" set "TARGET=%LOCALDATA%\ESET\%%~P\Quarantine"
)
if not defined TARGET (
  call :say "Copied nothing: ESET Smart Security is not installed for this user - neither %LOCALDATA%\ESET\ESET Smart Security nor %LOCALDATA%\ESET\ESET Security exists."
  exit /b 2
)
if not exist "%SOURCE%\" (
  call :say "Copied nothing: the quarantine folder %SOURCE% does not exist."
  exit /b 1
)
if not exist "%TARGET%\" mkdir "%TARGET%" >nul 2>&1
if not exist "%TARGET%\" (
  call :say "Copied nothing: cannot create %TARGET% - no right to write there, or the product protects it."
  exit /b 3
)

set /a COPIED=0
set /a FAILED=0
rem Copy from inside the folder: a quoted wildcard path is not listed by every cmd.
pushd "%SOURCE%" 2>nul
if /i not "%CD%"=="%SOURCE%" (
  call :say "Copied nothing: cannot open %SOURCE%."
  exit /b 1
)
for %%F in (*) do call :copyone "%%~fF"
popd
if %COPIED%==0 if %FAILED%==0 (
  call :say "Copied nothing: %SOURCE% holds no files."
  exit /b 1
)
call :say "Copied %COPIED% file(s) from %SOURCE% to %TARGET%, %FAILED% failed. Log off and on again, then restore them in ESET Smart Security under Tools - Quarantine."
if %FAILED% gtr 0 exit /b 3
exit /b 0

:copyone
copy /b /y "%~1" "%TARGET%\" >nul 2>&1
if errorlevel 1 (
  set /a FAILED+=1
  call :say "  not copied: %~nx1"
) else (
  set /a COPIED+=1
  call :say "  copied: %~nx1"
)
goto :eof

rem Shows a line and appends it to the log.
:say
set "LINE=%~1"
setlocal EnableDelayedExpansion
echo.!LINE!
>>"!LOG!" echo.!LINE!
endlocal
goto :eof
