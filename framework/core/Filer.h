// Component streams: a component with its published and defined properties and its nested
// children, written to and read from a binary stream; the text form of the same stream lives in
// ObjectText.h.
//
// The binary form: the signature "SSC1", then one object. An object is its class name and its
// name (identifiers), its properties (each a name and one value) up to an end marker, then its
// children (objects) up to an end marker. A value is a one-byte type (TValueType) and its data:
// integers in the smallest of 1, 2, 4 or 8 bytes that holds them (little-endian), strings as a
// 32-bit count of UTF-16 units and the units, identifiers as a one-byte length and ASCII, lists,
// sets and collections up to an end marker.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Streams.h"

// The first bytes of every component stream.
inline constexpr char kStreamSignature[4] = {'S', 'S', 'C', '1'};

enum class TValueType : std::uint8_t {
    vaNull,  // the end of a list, a collection, a property list or the children
    vaList,
    vaInt8,
    vaInt16,
    vaInt32,
    vaInt64,
    vaString,
    vaIdent,
    vaFalse,
    vaTrue,
    vaNil,
    vaSet,
    vaCollection,
    vaBinary,
};

class TReader;
class TWriter;
using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;

// How a stream makes a component it holds but the reading root does not own yet.
struct TComponentClass {
    const TClassInfo* Info;
    TComponent* (*Create)(TComponent* Owner);
};
// Registers T for reading from streams by its class name. Programs register their classes at
// start-up, before they read a stream that holds them.
void RegisterComponentClass(const TComponentClass& cls);
template <class T>
void RegisterClass() {
    RegisterComponentClass({&T::StaticClassInfo(), [](TComponent* owner) -> TComponent* { return new T(owner); }});
}
const TComponentClass* FindComponentClass(const String& name);  // nullptr when not registered

// What the reader and the writer share: the root and the defined properties.
class TFiler : public TObject {
    SS_CLASS(TFiler, TObject)
public:
    TComponent* Root() const { return FRoot; }
    // While writing: the counterpart in the ancestor of the object whose properties are being
    // defined (nullptr without an ancestor, and always while reading).
    const TPersistent* Ancestor() const { return FAncestor; }
    // A property that is not published: HasData says whether to write it (look at Ancestor to
    // write only what differs); ReadData reads and WriteData writes exactly one value.
    virtual void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                                bool HasData) = 0;
    // The same for a block of bytes, handed to the procedures as a stream.
    virtual void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                                      bool HasData) = 0;

protected:
    TComponent* FRoot = nullptr;
    const TPersistent* FAncestor = nullptr;
};

class TWriter : public TFiler {
    SS_CLASS(TWriter, TFiler)
    friend class TObjectTextConversion;

public:
    explicit TWriter(TStream& Stream);
    // Writes the signature and Root with everything it holds, only where it differs from
    // Ancestor (an object of the same class, or nullptr to compare with the defaults), then
    // flushes. EWriteError when the stream takes less than it is given.
    void WriteRootComponent(TComponent* Root, const TComponent* Ancestor = nullptr);
    // Writes what is buffered to the stream.
    void FlushBuffer();

    void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                              bool HasData) override;

    // The values, for the write procedures of defined properties.
    void WriteListBegin() { WriteValue(TValueType::vaList); }
    void WriteListEnd() { WriteValue(TValueType::vaNull); }
    void WriteInteger(std::int64_t Value);
    void WriteBoolean(bool Value) { WriteValue(Value ? TValueType::vaTrue : TValueType::vaFalse); }
    void WriteString(const String& Value);
    void WriteIdent(const String& Value);
    void WriteCollection(const TCollection* Value);

private:
    void WriteValue(TValueType t) { WriteByte(std::uint8_t(t)); }
    void WriteByte(std::uint8_t b) {
        if (FCount == sizeof FBuffer) FlushBuffer();
        FBuffer[FCount++] = b;
    }
    void WriteBytes(const void* data, std::size_t count);
    void WriteName(const String& name);  // an identifier without its type byte
    void WriteComponent(TComponent* c, const TComponent* ancestor);
    void WriteProperties(TPersistent* obj, const TPersistent* ancestor, const String& prefix);
    void WriteProperty(TPersistent* obj, const TPropInfo& p, const TPersistent* ancestor, const String& prefix);

    TStream& FStream;
    const TComponent* FRootAncestor = nullptr;
    String FPrefix;  // the dotted path of the object whose properties are being defined
    std::uint8_t FBuffer[4096];
    std::size_t FCount = 0;
    std::int64_t FWritten = 0;
    int FDepth = 0;
};

// Reads a component stream. Before anything is changed, the whole stream is checked: its form
// (signature, ends of lists, lengths, types, nesting up to 64 levels), every property name
// against what the objects publish and define, every published value against its property's
// type and range, and every class. Only the procedures of defined properties and the setters
// see their values later, while the stream is applied; when one of them refuses, reading stops
// with the error, the components the stream created are deleted and no Loaded is called.
// Every error is an EReadError whose message says what was wrong.
class TReader : public TFiler {
    SS_CLASS(TReader, TFiler)
    friend class TObjectTextConversion;

public:
    // Reads from Stream's position; the stream is left after the component.
    explicit TReader(TStream& Stream);
    ~TReader() override;

    // Reads the stream into Root (whose class, or one of its ancestors, is the stream's class),
    // or, for no Root, into a new component of the stream's registered class; answers it. Every
    // component read is in the loading state meanwhile and gets Loaded once all is in.
    TComponent* ReadRootComponent(TComponent* Root);

    void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                              bool HasData) override;

    // The values, for the read procedures of defined properties.
    TValueType NextValue() const;
    bool EndOfList() const { return NextValue() == TValueType::vaNull; }
    void ReadListBegin() { Expect(TValueType::vaList, L"リスト"); }
    void ReadListEnd() { Expect(TValueType::vaNull, L"リストの終わり"); }
    int ReadInteger();  // within 32 bits
    std::int64_t ReadInt64();
    bool ReadBoolean();
    String ReadString();
    String ReadIdent();
    void ReadCollection(TCollection* Value);
    void SkipValue();

private:
    struct TDefined;
    struct TFixup;
    std::uint8_t ReadByte();
    const std::uint8_t* Take(std::size_t count);
    void Expect(TValueType t, const wchar_t* what);
    String ReadName();
    void ReadObject(TComponent* c, TComponent* parent);
    TComponent* ResolveChild(const String& className, const String& name, TComponent* parent);
    void ReadProperties(TPersistent* obj);
    void ReadProperty(TPersistent* obj, const String& name);
    void ReadPublished(TPersistent* obj, const TPropInfo& p, const String& name);
    void ReadCollectionValue(TCollection* coll);
    [[noreturn]] void Error(const String& msg) const;
    void Enter();
    void Leave() { --FDepth; }

    TStream& FStream;
    std::int64_t FBase = 0;             // the stream's position when reading began
    std::vector<std::uint8_t> FOwned;  // the stream's bytes when it is not a memory stream
    const std::uint8_t* FData = nullptr;
    std::size_t FSize = 0, FPos = 0;
    bool FApply = false;  // false while checking, true while applying
    int FDepth = 0;
    std::vector<TDefined>* FDefined = nullptr;  // collects DefineProperty calls
    std::vector<TComponent*> FLoaded;           // every component read, in stream order
    TComponent* FNewRoot = nullptr;             // the root, when this read made it
    std::vector<TComponent*> FCreated;          // children this read made
    std::size_t FNextCreated = 0;               // the next of them the apply pass takes
    std::vector<String> FNames;                 // the children's names, to refuse a second one
    std::vector<std::size_t> FDefinedEnds;      // where each defined property's value ends
    std::size_t FNextDefinedEnd = 0;
    std::vector<TFixup> FFixups;
};

// The whole stream as one component: writing Instance (against Ancestor), and reading into
// Instance, or into a new registered component for none.
void WriteComponentStream(TStream& Stream, TComponent* Instance, const TComponent* Ancestor = nullptr);
TComponent* ReadComponentStream(TStream& Stream, TComponent* Instance);
// The Windows half (FilerWin.cpp): a component in a file of its own. Writing replaces the file
// only once the whole stream is on disk (SaveFileReplacing); a failed write keeps the old file.
void WriteComponentFile(const String& FileName, TComponent* Instance, const TComponent* Ancestor = nullptr);
TComponent* ReadComponentFile(const String& FileName, TComponent* Instance);
// Whether two collections would be written alike (same item class, same values).
bool CollectionsEqual(const TCollection* a, const TCollection* b);
