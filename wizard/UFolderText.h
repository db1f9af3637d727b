// The text rules of the destination folder.
#pragma once

#include "UAnsiString.h"

// An IDE's root folder without its last component: the folder that holds
// the IDE. A root without a backslash stays whole.
AnsiString ParentFolder(const AnsiString& rootDir);

// `folder` followed by the product's own folder name ("\Vellorin"), with no
// second backslash after a folder that ends with one.
AnsiString WithProductFolder(const AnsiString& folder);

// The folder as the install uses it: one trailing "\" or "/" removed.
AnsiString WithoutTrailingSeparator(const AnsiString& folder);
