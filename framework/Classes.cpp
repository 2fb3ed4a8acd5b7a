#include "Classes.h"

#include <algorithm>

#include "WinApi.h"

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    FComponentState.Include(TComponentStateItem::csDestroying);
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        FComponents.pop_back();
        c->FOwner = nullptr;
        delete c;
    }
}

void TComponent::InsertComponent(TComponent* c) {
    FComponents.push_back(c);
    c->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* c) {
    auto it = std::find(FComponents.begin(), FComponents.end(), c);
    if (it != FComponents.end()) FComponents.erase(it);
    c->FOwner = nullptr;
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= int(FComponents.size()))
        throw EListError(Format(L"リストのインデックスが範囲を超えています (%d)", {(long long)index}));
    return FComponents[index];
}

TComponent* TComponent::FindComponent(const String& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, name)) return c;
    return nullptr;
}

void TComponent::SetLoading(bool on) {
    on ? FComponentState.Include(TComponentStateItem::csLoading)
       : FComponentState.Exclude(TComponentStateItem::csLoading);
}

void TComponent::SetDesigning(bool on) {
    on ? FComponentState.Include(TComponentStateItem::csDesigning)
       : FComponentState.Exclude(TComponentStateItem::csDesigning);
}

int TStrings::Add(const String& s) {
    int i = Count();
    Insert(i, s);
    return i;
}

int TStrings::IndexOf(const String& s) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), s)) return i;
    return -1;
}

String TStrings::Text() const {
    String t;
    for (int i = 0; i < Count(); ++i) {
        t += Get(i);
        t += L"\r\n";
    }
    return t;
}

void TStrings::SaveToFile(const String& fileName) const {
    AnsiString bytes = StringToAnsi(Text());
    HANDLE h = CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        throw EFCreateError(Format(L"ファイル %s を作成できません。%s", {fileName, SysErrorMessage(code)}));
    }
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    DWORD code = GetLastError();
    CloseHandle(h);
    if (!ok || written != bytes.size())
        throw EWriteError(Format(L"ファイル %s への書き込みに失敗しました。%s", {fileName, SysErrorMessage(code)}));
}

void TStrings::SetText(const String& text) {
    Clear();
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", i);
        if (end == String::npos) end = text.size();
        Add(text.substr(i, end - i));
        i = end;
        if (i < text.size() && text[i] == L'\r') {
            ++i;
            if (i < text.size() && text[i] == L'\n') ++i;
        } else if (i < text.size()) {
            ++i;  // a lone LF
        }
    }
}

void TStrings::LoadFromFile(const String& fileName) {
    HANDLE h = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        throw EFOpenError(Format(L"ファイル %s を開けません。%s", {fileName, SysErrorMessage(code)}));
    }
    AnsiString bytes;
    char buf[65536];
    DWORD got = 0;
    BOOL ok;
    while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr)) && got > 0) bytes.append(buf, got);
    DWORD code = GetLastError();
    CloseHandle(h);
    if (!ok) throw EReadError(Format(L"ファイル %s の読み込みに失敗しました。%s", {fileName, SysErrorMessage(code)}));
    SetText(AnsiToString(bytes));
}

void TStringList::CheckIndex(int index, int limit) const {
    if (index < 0 || index > limit)
        throw EStringListError(Format(L"リストのインデックスが範囲を超えています (%d)", {(long long)index}));
}

const String& TStringList::Get(int index) const {
    CheckIndex(index, Count() - 1);
    return FItems[index];
}

void TStringList::Put(int index, const String& s) {
    CheckIndex(index, Count() - 1);
    FItems[index] = s;
}

void TStringList::Insert(int index, const String& s) {
    CheckIndex(index, Count());
    FItems.insert(FItems.begin() + index, s);
}

void TStringList::Delete(int index) {
    CheckIndex(index, Count() - 1);
    FItems.erase(FItems.begin() + index);
}
