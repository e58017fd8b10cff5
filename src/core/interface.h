#pragma once
// Reference-counted interfaces identified by GUID. Every interface derives virtually from
// IInterface and names its identifier in a static IID; an object answers Implements() for
// every interface it serves. Reference counting is std::shared_ptr.
#include <memory>

#include "platform/guid.h"

namespace kiosk {

using HRESULT = long;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002L);

// The basic interface.
class IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{00000000-0000-0000-C000-000000000046}");
    virtual ~IInterface() = default;
    // Whether this object serves the interface `iid`.
    virtual bool Implements(const TGUID& iid) const = 0;
};
using IInterfacePtr = std::shared_ptr<IInterface>;

// Marks objects whose lifetime is the reference count (held by shared_ptr); the registry
// refuses to expose them through an object factory, which does not count references.
class TInterfacedBase : public virtual IInterface {};

// Base of a reference-counted service object serving the interfaces `Is...`.
template <typename... Is>
class TInterfacedObject : public TInterfacedBase, public Is... {
public:
    bool Implements(const TGUID& iid) const override
    {
        return iid == IInterface::IID || ((iid == Is::IID) || ...);
    }
};

// The object as interface `I`, or empty when it does not serve `I`.
template <typename I>
std::shared_ptr<I> QueryAs(const IInterfacePtr& obj)
{
    if (!obj || !obj->Implements(I::IID)) return nullptr;
    return std::dynamic_pointer_cast<I>(obj);
}

} // namespace kiosk
