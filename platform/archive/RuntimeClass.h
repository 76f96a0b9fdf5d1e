#pragma once
// Objects that an archive stream can hold: each class registers its name, its schema number, its
// base class and how to make an empty one, so a reader can rebuild an object from the class name in
// the stream.
//
//   class CQuibThing : public CObject {
//       DECLARE_SERIAL(CQuibThing)
//   public:
//       void Serialize(CArchive& ar) override;
//   };
//   IMPLEMENT_SERIAL(CQuibThing, CObject, 1)      // in the .cpp
//
// DECLARE_DYNAMIC / IMPLEMENT_DYNAMIC name a class without making it creatable; DECLARE_DYNCREATE /
// IMPLEMENT_DYNCREATE make it creatable with the schema 0xFFFF.

#include <QString>

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

class CArchive;
class CObject;

// A class whose schema carries this flag reads streams of any schema; the object asks the archive
// for the one it is reading with GetObjectSchema().
constexpr std::uint32_t VERSIONABLE_SCHEMA = 0x80000000u;
// The schema of classes that can be named but were never given one.
constexpr std::uint32_t kNoSchema = 0xFFFF;

struct CRuntimeClass {
    const char* m_lpszClassName;
    std::uint32_t m_wSchema;
    std::unique_ptr<CObject> (*m_pfnCreateObject)(); // null for classes that cannot be made
    const CRuntimeClass* m_pBaseClass;

    std::unique_ptr<CObject> CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;
    bool IsCreatable() const { return m_pfnCreateObject != nullptr; }

    // The registered class of that name (case matters), or null.
    static const CRuntimeClass* FromName(const char* name);
    static const CRuntimeClass* FromName(const QString& name);
    // Every registered class, by name.
    static std::vector<const CRuntimeClass*> AllRegistered();
};

// Adds a class to the registry of names; IMPLEMENT_ macros do this at start-up. A second class with
// a name already taken is ignored: the first one keeps the name.
struct CClassRegistration {
    explicit CClassRegistration(const CRuntimeClass* runtimeClass);
};

class CObject
{
public:
    static const CRuntimeClass classCObject;
    static const CRuntimeClass* GetThisClass() { return &classCObject; }

    // An object read from a stream that is still loading is marked gone in that stream's load table,
    // so that a later reference back to it is a read error and never a use of freed memory.
    virtual ~CObject();
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    // Writes the object's fields to a storing archive or reads them from a loading one.
    virtual void Serialize(CArchive& ar);

    bool IsKindOf(const CRuntimeClass* runtimeClass) const;
    bool IsSerializable() const { return GetRuntimeClass()->m_wSchema != kNoSchema; }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                                                                          \
public:                                                                                                      \
    static const CRuntimeClass class##class_name;                                                            \
    static const CRuntimeClass* GetThisClass()                                                               \
    {                                                                                                        \
        return &class##class_name;                                                                           \
    }                                                                                                        \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                                        \
    DECLARE_DYNAMIC(class_name)                                                                              \
    static std::unique_ptr<CObject> CreateObject();

// Also declares `ar >> pointer`, which reads an object of this class (or a derived one) and hands
// over the new object; see CArchive::ReadObject.
#define DECLARE_SERIAL(class_name)                                                                           \
    DECLARE_DYNCREATE(class_name)                                                                            \
    friend CArchive& operator>>(CArchive& ar, class_name*& object);

#define LUMIVO_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, factory)                          \
    static_assert(std::is_base_of_v<base_class_name, class_name>,                                            \
                  #class_name " must derive from " #base_class_name);                                        \
    static_assert(std::is_base_of_v<CObject, class_name>, #class_name " must derive from CObject");          \
    const CRuntimeClass class_name::class##class_name = {#class_name, (schema), (factory),                   \
                                                         RUNTIME_CLASS(base_class_name)};                    \
    const CRuntimeClass* class_name::GetRuntimeClass() const                                                 \
    {                                                                                                        \
        return RUNTIME_CLASS(class_name);                                                                    \
    }                                                                                                        \
    static const CClassRegistration lumivoClassRegistration_##class_name(RUNTIME_CLASS(class_name));

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                                       \
    LUMIVO_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, kNoSchema, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                                     \
    std::unique_ptr<CObject> class_name::CreateObject()                                                      \
    {                                                                                                        \
        return std::unique_ptr<CObject>(new class_name);                                                     \
    }                                                                                                        \
    LUMIVO_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, kNoSchema, &class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, schema)                                                \
    std::unique_ptr<CObject> class_name::CreateObject()                                                      \
    {                                                                                                        \
        return std::unique_ptr<CObject>(new class_name);                                                     \
    }                                                                                                        \
    LUMIVO_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, &class_name::CreateObject)            \
    CArchive& operator>>(CArchive& ar, class_name*& object)                                                  \
    {                                                                                                        \
        object = static_cast<class_name*>(ar.ReadObject(RUNTIME_CLASS(class_name)));                         \
        return ar;                                                                                           \
    }
