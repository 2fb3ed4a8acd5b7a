// The name rules of the file operations: how path patterns split into folders and names, how a
// rename mask makes a destination name, and how a taken name is numbered. Only text is handled;
// nothing here asks the file system.
#pragma once
#include <vector>

#include "System.h"

bool HasWildcard(const String& s);
// "." or "..": the entries a folder search reports for itself and its parent.
bool IsDots(const wchar_t* name);
bool IsFolderPath(const String& path);  // ends in "\"
String WithoutTrailingDelimiter(const String& folder);
// The components of a folder path, without its trailing "\" (one empty component for "").
std::vector<String> FolderComponents(const String& folder);
// How many components of a folder path hold a wildcard.
std::size_t WildcardComponents(const String& folder);
// An absolute folder path "X:\".
bool IsDriveRoot(const String& full);

// The caller's path in the one form the engine splits: forward slashes name the same folders
// as backslashes, and the "\\?\" prefix (whose "?" is no wildcard) adds nothing within the
// length limit.
String PlainPath(String path);

// The destination name of a found entry under a destination pattern, by the DOS rename rule:
// base name and extension each keep the pattern's literals and the entry's characters where
// the pattern has "?" or from its "*" on.
String RenamedName(const String& entryName, const String& pattern);
// The folder part (up to and including the last "\" or ":") and the name part of a path
// pattern: an empty name means "*.*", a wildcard name without an extension gets ".*".
void SplitPattern(const String& path, String& folder, String& name);
// Splits a folder part at its first component with a wildcard: head (up to and including the
// "\" before it), the component, and the tail after its "\". False when there is none.
bool SplitAtWildcard(const String& folder, String& head, String& component, String& tail);
// The folder with its first wildcard component replaced by the rename rule applied to name
// (the component is dropped when that gives an empty name).
String ReplaceWildcard(const String& folder, const String& name);
// The destination folder made concrete from the source folder: each wildcard component takes
// the source component at the same depth counted from the right end.
String ConcreteFolder(const String& srcFolder, const String& dstFolder);
// A name pattern of wildcards and dots only, which stands for a folder's whole content.
bool IsWholeContent(const String& name);
// A folder pattern that, from its first wildcard component on, takes every name: that
// component, every later one and the name part (empty for a folder path) are whole content.
bool TakesEveryName(const String& component, const String& tail, const String& name);
// name with a number that makes it another name: "a.txt" gives "a (2).txt"; a folder, a name
// without an extension and one that only starts with a dot take it at the end.
String NumberedName(const String& name, int number, bool folder);
