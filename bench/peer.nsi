; The peer installer of bench/peer: the same update of one add-on folder, made with makensis.
; It does what our installer does to a folder: resets the attributes of the files in its
; scenery and texture sub-folders, deletes the obsolete scenery files, and writes every file of
; the payload. The folder is given on the command line, silent: NAME.exe /S /D=C:\...\Tarvik
;
; makensis -DCOMPRESSION="zlib" (or "/SOLID lzma") -DPAYLOAD=FOLDER -DOBSOLETE=FILE
;          -DOUTPUT=FILE.exe bench/peer.nsi
;   FOLDER holds the payload's scenery and texture sub-folders; FILE lists one obsolete
;   scenery file name a line, as "Delete" lines (bench/peer writes it).
Unicode true
Target x86-unicode
SetCompressor ${COMPRESSION}
Name "Tarvik V2 official update 2"
OutFile "${OUTPUT}"
InstallDir "C:\Tarvik"
RequestExecutionLevel user
ShowInstDetails nevershow
AutoCloseWindow true

Page directory
Page instfiles

; Clears the attributes of every entry of the folder on the stack (read-only, hidden), so that
; the files can be overwritten or deleted.
Function ResetAttributes
  Exch $R0
  Push $R1
  Push $R2
  FindFirst $R1 $R2 "$R0\*"
  next:
    StrCmp $R2 "" done
    StrCmp $R2 "." skip
    StrCmp $R2 ".." skip
    SetFileAttributes "$R0\$R2" NORMAL
  skip:
    FindNext $R1 $R2
    Goto next
  done:
  FindClose $R1
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

Section "Update"
  Push "$INSTDIR\scenery"
  Call ResetAttributes
  Push "$INSTDIR\texture"
  Call ResetAttributes
  !include "${OBSOLETE}"
  SetOutPath "$INSTDIR\texture"
  File "${PAYLOAD}\texture\*"
  SetOutPath "$INSTDIR\scenery"
  File "${PAYLOAD}\scenery\*"
SectionEnd
