// The archive stream reader, for every registered class: the first byte picks the class (or, 0xFF, an
// object reference with its class named in the stream), the rest is the stream. What loads without an
// error stores; that stream loads into a fresh object and stores to the same bytes again.

#include "core/User.h"
#include "core/Word.h"
#include "platform/archive/Archive.h"
#include "platform/archive/MemFile.h"
#include "platform/archive/RuntimeClass.h"
#include "store/Color.h"
#include "tests/fuzz/FuzzTarget.h"

#include <memory>
#include <string>

namespace lumivo::fuzz::archive
{

namespace
{

constexpr std::uint8_t kByReference = 0xFF;

// The classes a stream can name and that can be made, by name.
const std::vector<const CRuntimeClass*>& storableClasses()
{
    static const std::vector<const CRuntimeClass*> classes = [] {
        std::vector<const CRuntimeClass*> found;
        for (const CRuntimeClass* runtimeClass : CRuntimeClass::AllRegistered()) {
            if (runtimeClass->IsCreatable() && runtimeClass->m_wSchema != kNoSchema)
                found.push_back(runtimeClass);
        }
        return found;
    }();
    return classes;
}

// Reads one object: through its own Serialize (a record's content) or through a reference.
std::unique_ptr<CObject> load(std::uint8_t selector, const std::uint8_t* data, std::size_t size)
{
    CMemFile file(data, size);
    CArchive archive(file, CArchive::load);
    if (selector == kByReference) {
        std::unique_ptr<CObject> object = archive.ReadOwnedObject(nullptr);
        archive.Close();
        return object;
    }
    const auto& classes = storableClasses();
    std::unique_ptr<CObject> object = classes[selector % classes.size()]->CreateObject();
    object->Serialize(archive);
    archive.Close();
    return object;
}

Bytes store(std::uint8_t selector, CObject& object)
{
    CMemFile file(1024);
    CArchive archive(file, CArchive::store);
    if (selector == kByReference)
        archive.WriteObject(&object);
    else
        object.Serialize(archive);
    archive.Close();
    return file.DetachBytes();
}

void fuzzArchive(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return;
    resetGlobals();
    const std::uint8_t selector = data[0];
    std::unique_ptr<CObject> object;
    try {
        object = load(selector, data + 1, size - 1);
    } catch (const std::exception&) {
        return; // a read error is a sound answer to bad bytes
    }
    if (!object)
        return;
    const Bytes first = store(selector, *object);
    std::unique_ptr<CObject> again;
    try {
        again = load(selector, first.data(), first.size());
    } catch (const std::exception& error) {
        fuzzCheck(false, std::string("a stored object does not load again: ") + error.what());
    }
    fuzzCheck(again != nullptr, "a stored object loads as no object");
    fuzzCheck(store(selector, *again) == first,
              std::string("a stored ") + object->GetRuntimeClass()->m_lpszClassName + " stores differently");
}

std::vector<Bytes> archiveSeeds()
{
    resetGlobals();
    std::vector<Bytes> seeds;
    const auto& classes = storableClasses();
    for (std::size_t i = 0; i < classes.size(); ++i) {
        std::unique_ptr<CObject> object = classes[i]->CreateObject();
        Bytes seed{static_cast<std::uint8_t>(i)};
        const Bytes stream = store(static_cast<std::uint8_t>(i), *object);
        seed.insert(seed.end(), stream.begin(), stream.end());
        seeds.push_back(seed);
    }
    CQuibUser user;
    user.Name = QStringLiteral("Ada");
    user.Sentences = {2, 7};
    for (std::uint8_t number : {1, 2}) {
        auto color = std::make_unique<CColor>();
        color->Set(0x0A0B0Cu * number, number, QStringLiteral("farve %1").arg(number));
        user.ColorTable[number] = std::move(color);
    }
    for (std::uint8_t selector : {kByReference, std::uint8_t(0)}) {
        for (std::size_t i = 0; i < classes.size() && selector != kByReference; ++i) {
            if (classes[i] == RUNTIME_CLASS(CQuibUser))
                selector = static_cast<std::uint8_t>(i);
        }
        Bytes seed{selector};
        const Bytes stream = store(selector, user);
        seed.insert(seed.end(), stream.begin(), stream.end());
        seeds.push_back(seed);
    }
    resetGlobals();
    return seeds;
}

const FuzzTargetRegistration registration({"archive", &fuzzArchive, &archiveSeeds});

} // namespace

} // namespace lumivo::fuzz::archive
