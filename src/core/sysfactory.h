#pragma once
// The factory registry: one factory per interface identifier, asked in registration order.
// The manager owns the factories it holds; a TObjFactoryEx exposes an object it owns only
// when told so.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/interface.h"

namespace kiosk {

class ISysFactory : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{87DC8DDF-0975-40FD-9B80-64F1308A85D5}");
    virtual void CreateInstance(const TGUID& iid, IInterfacePtr& obj) = 0;
    virtual void ReleaseInstance() = 0;
    virtual bool Supports(const TGUID& iid) const = 0;
};
using ISysFactoryPtr = std::shared_ptr<ISysFactory>;

using TIntfCreatorFunc = std::function<void(IInterfacePtr& obj)>;

class TBaseFactory : public TInterfacedObject<ISysFactory> {
public:
    bool Supports(const TGUID& iid) const override { return iid == FIntfGUID; }

protected:
    // Registers `self` under `iid`; raises "接口%s已存在，不能重复注册！" when taken.
    static void RegisterSingle(const std::shared_ptr<TBaseFactory>& self, const TGUID& iid);
    TGUID FIntfGUID;
};

// Hands out a new object on every request.
class TIntfFactory : public TBaseFactory {
public:
    static std::shared_ptr<TIntfFactory> Create(const TGUID& iid, TIntfCreatorFunc creator);
    void CreateInstance(const TGUID& iid, IInterfacePtr& obj) override;
    void ReleaseInstance() override {}

protected:
    explicit TIntfFactory(TIntfCreatorFunc creator) : FIntfCreatorFunc(std::move(creator)) {}
    TIntfCreatorFunc FIntfCreatorFunc;
};

// Hands out the same object until ReleaseInstance.
class TSingletonFactory : public TIntfFactory {
public:
    static std::shared_ptr<TSingletonFactory> Create(const TGUID& iid, TIntfCreatorFunc creator);
    void CreateInstance(const TGUID& iid, IInterfacePtr& obj) override;
    void ReleaseInstance() override { FInstance.reset(); }

private:
    using TIntfFactory::TIntfFactory;
    IInterfacePtr FInstance;
};

class TBaseFactoryEx : public TInterfacedObject<ISysFactory> {
public:
    void CreateInstance(const TGUID&, IInterfacePtr&) override {}
    void ReleaseInstance() override {}
    bool Supports(const TGUID& iid) const override;

protected:
    // Checks every identifier against the registry, then registers `self` once.
    static void RegisterMulti(const std::shared_ptr<TBaseFactoryEx>& self, const std::vector<TGUID>& iids);
    std::vector<std::string> FIIDList;
};

// Exposes one existing object that is not reference-counted (a form, a manager) under one or
// more interfaces. Owns the object only when `owns` is true.
class TObjFactoryEx : public TBaseFactoryEx {
public:
    // Returns empty (and registers nothing) when `instance` is empty.
    static std::shared_ptr<TObjFactoryEx> Create(const std::vector<TGUID>& iids, IInterface* instance,
                                                 bool owns = false);
    ~TObjFactoryEx() override;
    void CreateInstance(const TGUID& iid, IInterfacePtr& obj) override;
    void ReleaseInstance() override;

private:
    TObjFactoryEx() = default;
    bool FOwnsObj = false;
    IInterface* FInstance = nullptr;
};

class TSysFactoryList {
public:
    int Add(const ISysFactoryPtr& factory);
    int IndexOfIID(const TGUID& iid) const;
    ISysFactoryPtr FindFactory(const TGUID& iid) const;
    // Raises "未找到%s接口！" when no factory serves `iid`.
    ISysFactoryPtr GetFactory(const TGUID& iid) const;
    void Remove(const ISysFactoryPtr& factory);
    int Count() const { return static_cast<int>(items_.size()); }
    const ISysFactoryPtr& Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }

private:
    std::vector<ISysFactoryPtr> items_;
};

class TSysFactoryManager {
public:
    void RegisterFactory(const ISysFactoryPtr& factory);
    void UnRegisterFactory(const ISysFactoryPtr& factory);
    void UnRegisterFactory(const TGUID& iid);
    ISysFactoryPtr FindFactory(const TGUID& iid) const { return FSysFactoryList.FindFactory(iid); }
    bool Exists(const TGUID& iid) const { return FSysFactoryList.IndexOfIID(iid) >= 0; }
    void ReleaseInstances();
    const TSysFactoryList& List() const { return FSysFactoryList; }

private:
    TSysFactoryList FSysFactoryList;
};

// The process's one manager, created on first use.
TSysFactoryManager& FactoryManager();
// Frees the manager and with it every factory (the end of the program; tests start afresh).
void FreeFactoryManager();

} // namespace kiosk
