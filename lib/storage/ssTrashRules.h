// The text rules of the trash layout: how a trash destination reduces to a folder name, how a
// source's folders are placed below it, and how the dated roots are named. Nothing here asks
// the file system; where a rule depends on it ("an existing file stands for its folder") the
// caller passes the answer in.
#pragma once
#include "DateUtils.h"
#include "System.h"

// The name of the dated trash root for a moment: yyyymmddhhnn, always twelve digits.
String TrashTimeStamp(TDateTime moment);
// The day of a dated trash root's name (eight digits and four more characters) as yyyymmdd;
// -1 for a name that is no trash root's.
int TrashRootDay(const String& name);
// folder names a drive's root or nothing at all ("E:", "E:\.", "\\", ""), once its "." and ".."
// parts are resolved: no place for a trash tree, whose purge would work on the whole drive.
bool IsDriveRootOrNothing(const String& folder);

// Text cut before its first "*" and then its first "?", each time back to a folder part.
String StripWildcards(const String& Text);
// A folder path without its wildcard part (see StripWildcards) as a folder name: without up to
// two leading "\" and one trailing "\".
String TrashFolderName(const String& Text);
// The folder name of a trash destination or source: its wildcard part stripped, then as above.
// An existing file stands for its folder; the caller asks the file system and passes that in.
String NormalizeTrashFolder(const String& Text);
// The text after the first ":", or Text when there is none.
String AfterColon(const String& Text);
// Path's folders below Base, both already trash folder names; all of Path when Base is not one
// of its folders.
String RelativeFolder(const String& Path, const String& Base);
