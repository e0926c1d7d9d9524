# The NSIS commands that offer Orvandel for vCard files and take the offer back:
# ORVANDEL_NSIS_REGISTER_FILE_TYPES and ORVANDEL_NSIS_UNREGISTER_FILE_TYPES.
#
# - Orvandel.vCard, a file type of our own that opens a card in the window;
# - each extension lists it among the programs it may open with (OpenWithProgids), which leaves
#   the extension's default program as it is;
# - each extension's context menu gets "Open with Orvandel" and "Open in Thorough Mode", as on
#   Linux's desktop, through SystemFileAssociations, which adds verbs and changes no default;
# - Applications\orvandel.exe names the program in the "Open with" dialog.
set(classes "Software\\Classes")
set(exe "$INSTDIR\\orvandel.exe")
set(open "\"${exe}\" \"%1\"")
set(thorough "\"${exe}\" --thorough \"%1\"")

set(register "
  WriteRegStr SHCTX '${classes}\\Orvandel.vCard' '' 'vCard File'
  WriteRegStr SHCTX '${classes}\\Orvandel.vCard\\DefaultIcon' '' '${exe},0'
  WriteRegStr SHCTX '${classes}\\Orvandel.vCard\\shell\\open' '' 'Open with Orvandel'
  WriteRegStr SHCTX '${classes}\\Orvandel.vCard\\shell\\open\\command' '' '${open}'
  WriteRegStr SHCTX '${classes}\\Applications\\orvandel.exe' 'FriendlyAppName' 'Orvandel'
  WriteRegStr SHCTX '${classes}\\Applications\\orvandel.exe\\shell\\open\\command' '' '${open}'")
set(unregister "
  DeleteRegKey SHCTX '${classes}\\Orvandel.vCard'
  DeleteRegKey SHCTX '${classes}\\Applications\\orvandel.exe'")
foreach(extension .vcf .vcard)
    set(context "${classes}\\SystemFileAssociations\\${extension}\\shell")
    string(APPEND register "
  WriteRegStr SHCTX '${classes}\\${extension}\\OpenWithProgids' 'Orvandel.vCard' ''
  WriteRegStr SHCTX '${classes}\\Applications\\orvandel.exe\\SupportedTypes' '${extension}' ''
  WriteRegStr SHCTX '${context}\\Orvandel' '' 'Open with Orvandel'
  WriteRegStr SHCTX '${context}\\Orvandel\\command' '' '${open}'
  WriteRegStr SHCTX '${context}\\OrvandelThorough' '' 'Open in Thorough Mode'
  WriteRegStr SHCTX '${context}\\OrvandelThorough\\command' '' '${thorough}'")
    # Only what we wrote goes; the extension's keys go only when nothing else is left in them.
    string(APPEND unregister "
  DeleteRegValue SHCTX '${classes}\\${extension}\\OpenWithProgids' 'Orvandel.vCard'
  DeleteRegKey /ifempty SHCTX '${classes}\\${extension}\\OpenWithProgids'
  DeleteRegKey /ifempty SHCTX '${classes}\\${extension}'
  DeleteRegKey SHCTX '${context}\\Orvandel'
  DeleteRegKey SHCTX '${context}\\OrvandelThorough'
  DeleteRegKey /ifempty SHCTX '${context}'
  DeleteRegKey /ifempty SHCTX '${classes}\\SystemFileAssociations\\${extension}'")
endforeach()
# The SystemFileAssociations key that the installation made, where Windows had none.
string(APPEND unregister "
  DeleteRegKey /ifempty SHCTX '${classes}\\SystemFileAssociations'")
# Explorer learns of the change at once.
set(notify "
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'")
set(ORVANDEL_NSIS_REGISTER_FILE_TYPES "${register}${notify}")
set(ORVANDEL_NSIS_UNREGISTER_FILE_TYPES "${unregister}${notify}")
