#include "UConst.h"

const char ProductRegistryKey[] = "Software\\Brindlecraft\\Vellorin library";
const char UninstallerName[] = "redud.exe";
const char HelpIndexLine[] = "\r\n:Index Vellorin library components=vllib.hlp";
const char HelpLinkLine[] = "\r\n:Link vllib.hlp";
