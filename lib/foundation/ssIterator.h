// The bidirectional iteration protocol of the library's containers.
#pragma once
#include "SysUtils.h"

// Raised by an iterator operation that the iterator does not provide.
SS_EXCEPTION(EssIterator, Exception)
// Raised by an operation that a class declares but does not implement.
SS_EXCEPTION(EAbstractError, Exception)

// The iteration protocol of the library's containers: First, Last, Next, Prior, IsDone and
// CurrentItem. An iterator that lacks an operation raises EssIterator.
class TssIterator : public TObject {
    SS_CLASS(TssIterator, TObject)
public:
    virtual bool HasNext();
    virtual TObject* Next();
    virtual bool hasPrev();
    virtual TObject* First();
    virtual TObject* Prev();
    virtual TObject* Last();
};
