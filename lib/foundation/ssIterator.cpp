#include "ssIterator.h"

namespace {
[[noreturn]] void NotImplemented(const wchar_t* operation) {
    throw EssIterator(String(operation) + L" is not implemented");
}
}  // namespace

bool TssIterator::HasNext() { throw EAbstractError(L"抽象エラー"); }
TObject* TssIterator::Next() { throw EAbstractError(L"抽象エラー"); }
bool TssIterator::hasPrev() { NotImplemented(L"hasPrev"); }
TObject* TssIterator::First() { NotImplemented(L"First"); }
TObject* TssIterator::Prev() { NotImplemented(L"Prev"); }
TObject* TssIterator::Last() { NotImplemented(L"Last"); }
