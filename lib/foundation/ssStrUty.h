// Tolerant 1-based string routines and helpers for double-byte (ANSI code page) text.
#pragma once
#include "System.h"

// Up to Count characters of S from max(Index, 1); empty for an empty S or Count <= 0.
String SafeCopy(const String& S, int Index, int Count);
// Deletes up to Count characters from max(Index, 1) when S is not empty and Count > 0.
void SafeDelete(String& S, int Index, int Count);
// Inserts Sub before max(Index, 1); past the end appends.
void SafeInsert(const String& Sub, String& S, int Index);
// 1-based position of the first Sub in S; 0 when absent or Sub is empty.
int PosStr(const String& Sub, const String& S);
// Replaces every Old by New left to right without rescanning what was put in; S and the
// result both hold the new text. An empty Old changes nothing.
String ReplaceAllStr(String& S, const String& Old, const String& New);
// The digits of |Value| cut or zero-filled to Width, with "-" in front for a negative Value.
String IntToStrZero(long long Value, int Width);
// True for the empty string and for ASCII digits only (one final line feed allowed).
bool IsNumeric(const String& S);

// Byte kind at 1-based position p of 8-bit text: 0 single byte, 1 lead byte, 2 trail byte.
int ByteTypeAt(const AnsiString& S, int p);
bool IsLeadByteAt(const AnsiString& S, int p);
bool IsTrailByteAt(const AnsiString& S, int p);
// Up to Count bytes of S from Index, never splitting a double-byte character.
AnsiString AnsiCopyMB(const AnsiString& S, int Index, int Count);
