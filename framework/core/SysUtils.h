// Exceptions, formatting and small string and file-name helpers of the framework.
#pragma once
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <variant>

#include "System.h"

// Root of every exception the framework and the library raise; the message is UTF-16 text.
class Exception : public TObject, public std::exception {
    SS_CLASS(Exception, TObject)
public:
    explicit Exception(String msg) : FMessage(std::move(msg)) {}
    const String& Message() const { return FMessage; }
    void SetMessage(String msg) { FMessage = std::move(msg); FWhat.clear(); }
    const char* what() const noexcept override;

private:
    String FMessage;
    mutable std::string FWhat;
};

#define SS_EXCEPTION(Self, Base)                       \
    class Self : public Base {                         \
        SS_CLASS(Self, Base)                           \
    public:                                            \
        using Base::Base;                              \
    };

SS_EXCEPTION(EConvertError, Exception)
SS_EXCEPTION(EListError, Exception)
SS_EXCEPTION(EStringListError, Exception)
SS_EXCEPTION(EStreamError, Exception)
SS_EXCEPTION(EFCreateError, EStreamError)
SS_EXCEPTION(EFOpenError, EStreamError)
SS_EXCEPTION(EReadError, EStreamError)
// A text file that exists but cannot be opened or read.
SS_EXCEPTION(EWriteError, EStreamError)
SS_EXCEPTION(EResNotFound, Exception)
SS_EXCEPTION(EInvalidGraphic, Exception)

// The one index check of lists and tables: raises E with the list-index message when Index lies
// outside 0..Limit.
extern const wchar_t* const SListIndexError;
template <typename E = EListError>
void CheckListIndex(int Index, int Limit);

// An input/output failure; ErrorCode is the platform's error number when one is known.
class EInOutError : public Exception {
    SS_CLASS(EInOutError, Exception)
public:
    explicit EInOutError(String msg, int code = 0) : Exception(std::move(msg)), ErrorCode(code) {}
    int ErrorCode;
};

// A failed platform call; ErrorCode is the platform's error number.
class EOSError : public Exception {
    SS_CLASS(EOSError, Exception)
public:
    EOSError(String msg, std::uint32_t code) : Exception(std::move(msg)), FErrorCode(code) {}
    std::uint32_t ErrorCode() const { return FErrorCode; }

private:
    std::uint32_t FErrorCode;
};

// One argument of Format: an integer or a text.
using TVarRec = std::variant<long long, String>;

// Formats like the framework's Format: %s, %d, %u, %x and %% with optional "-", width and
// ".precision" (for %d the minimum number of digits, for %s the maximum number of characters).
// A specifier that does not fit its argument raises EConvertError.
String Format(const String& fmt, std::initializer_list<TVarRec> args);

template <typename E>
void CheckListIndex(int Index, int Limit) {
    if (Index < 0 || Index > Limit) throw E(Format(SListIndexError, {(long long)Index}));
}

// Sets a flag for a scope and puts its old value back when the scope is left, also by an
// exception: the guards against re-entering a handler.
class TFlagScope {
public:
    explicit TFlagScope(bool& Flag) : FFlag(Flag), FOld(Flag) { FFlag = true; }
    ~TFlagScope() { FFlag = FOld; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
    bool FOld;
};

String IntToStr(long long value);
// A decimal within 32 bits: ASCII digits with an optional sign, blanks around allowed;
// EConvertError "'text' is not a valid integer value" for anything else.
std::int32_t StrToInt(const String& text);
// Text without the blanks and control characters (up to U+0020) at either end.
String Trim(const String& s);
String UpperCase(const String& s);  // ASCII letters only, as the framework's UpperCase
bool SameText(const String& a, const String& b);  // ASCII case-insensitive

// The ANSI code page seam: conversion between UTF-16 and the system's ANSI code page (the one
// pair the project uses) and its lead-byte test. Windows answers for its own code page; the
// native build implements code page 932 (see framework/native).
AnsiString StringToAnsi(const String& s);
String AnsiToString(const AnsiString& s);
bool IsAnsiLeadByte(unsigned char b);

// File-name parts: the path up to and including the last "\" or ":", without it, and after it.
String ExtractFilePath(const String& fileName);
String ExtractFileDir(const String& fileName);
String ExtractFileName(const String& fileName);
String IncludeTrailingPathDelimiter(const String& s);

// The Windows half (SysUtilsWin.cpp): calls that need the system.

// The platform's text for an error number (without a trailing line break).
String SysErrorMessage(std::uint32_t code);
// Raises EOSError for the calling thread's last error.
[[noreturn]] void RaiseLastOSError();
String AnsiUpperCase(const String& s);  // every letter, by the platform's rules

// The running program's full file name.
String ModuleFileName();

// The current local date and time, and the date alone (midnight).
TDateTime Now();
TDateTime Date();

bool FileExists(const String& fileName);  // an existing file, not a folder
bool DirectoryExists(const String& name);
bool FileOrDirectoryExists(const String& name);  // a file or a folder of that name
