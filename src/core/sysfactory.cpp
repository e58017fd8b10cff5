#include "core/sysfactory.h"

#include <algorithm>

#include "platform/exception.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

std::unique_ptr<TSysFactoryManager>& ManagerSlot()
{
    static std::unique_ptr<TSysFactoryManager> manager;
    return manager;
}

void RefuseTaken(const TGUID& iid)
{
    if (FactoryManager().Exists(iid))
        throw Exception(Format("接口%s已存在，不能重复注册！", {iid.ToString()}));
}

} // namespace

TSysFactoryManager& FactoryManager()
{
    auto& slot = ManagerSlot();
    if (!slot) slot = std::make_unique<TSysFactoryManager>();
    return *slot;
}

void FreeFactoryManager() { ManagerSlot().reset(); }

void TBaseFactory::RegisterSingle(const std::shared_ptr<TBaseFactory>& self, const TGUID& iid)
{
    RefuseTaken(iid);
    self->FIntfGUID = iid;
    FactoryManager().RegisterFactory(self);
}

std::shared_ptr<TIntfFactory> TIntfFactory::Create(const TGUID& iid, TIntfCreatorFunc creator)
{
    std::shared_ptr<TIntfFactory> f(new TIntfFactory(std::move(creator)));
    RegisterSingle(f, iid);
    return f;
}

void TIntfFactory::CreateInstance(const TGUID& iid, IInterfacePtr& obj)
{
    IInterfacePtr created;
    if (FIntfCreatorFunc) FIntfCreatorFunc(created);
    obj = (created && created->Implements(iid)) ? created : nullptr;
}

std::shared_ptr<TSingletonFactory> TSingletonFactory::Create(const TGUID& iid, TIntfCreatorFunc creator)
{
    std::shared_ptr<TSingletonFactory> f(new TSingletonFactory(std::move(creator)));
    RegisterSingle(f, iid);
    return f;
}

void TSingletonFactory::CreateInstance(const TGUID& iid, IInterfacePtr& obj)
{
    if (!FInstance) TIntfFactory::CreateInstance(iid, FInstance);
    if (!FInstance || !FInstance->Implements(iid)) {
        obj.reset();
        throw Exception(Format("对象不支持%s接口！", {iid.ToString()}));
    }
    obj = FInstance;
}

bool TBaseFactoryEx::Supports(const TGUID& iid) const
{
    const std::string text = iid.ToString();
    return std::find(FIIDList.begin(), FIIDList.end(), text) != FIIDList.end();
}

void TBaseFactoryEx::RegisterMulti(const std::shared_ptr<TBaseFactoryEx>& self, const std::vector<TGUID>& iids)
{
    std::vector<std::string> list;
    for (const TGUID& iid : iids) {
        RefuseTaken(iid);
        list.push_back(iid.ToString());
    }
    self->FIIDList = std::move(list);
    FactoryManager().RegisterFactory(self);
}

std::shared_ptr<TObjFactoryEx> TObjFactoryEx::Create(const std::vector<TGUID>& iids, IInterface* instance, bool owns)
{
    if (!instance) return nullptr;
    if (dynamic_cast<TInterfacedBase*>(instance))
        throw Exception("不要用TObjFactoryEx注册TInterfacedObject及其子类实现的接口！");
    if (iids.empty()) throw Exception("TObjFactoryEx注册参数IIDs不能为空！");
    std::shared_ptr<TObjFactoryEx> f(new TObjFactoryEx());
    RegisterMulti(f, iids);
    // Ownership is taken only once the registration stands, so a refused one frees nothing.
    f->FOwnsObj = owns;
    f->FInstance = instance;
    return f;
}

TObjFactoryEx::~TObjFactoryEx() { ReleaseInstance(); }

void TObjFactoryEx::CreateInstance(const TGUID& iid, IInterfacePtr& obj)
{
    if (!FInstance || !FInstance->Implements(iid)) {
        obj.reset();
        throw Exception(Format("不支持接口%s！", {iid.ToString()}));
    }
    // The object is not reference-counted: hand it out without taking ownership.
    obj = IInterfacePtr(IInterfacePtr(), FInstance);
}

void TObjFactoryEx::ReleaseInstance()
{
    if (FOwnsObj && FInstance) {
        delete FInstance;
        FInstance = nullptr;
    }
}

int TSysFactoryList::Add(const ISysFactoryPtr& factory)
{
    items_.push_back(factory);
    return static_cast<int>(items_.size()) - 1;
}

int TSysFactoryList::IndexOfIID(const TGUID& iid) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Supports(iid)) return static_cast<int>(i);
    return -1;
}

ISysFactoryPtr TSysFactoryList::FindFactory(const TGUID& iid) const
{
    const int i = IndexOfIID(iid);
    return i < 0 ? nullptr : items_[static_cast<std::size_t>(i)];
}

ISysFactoryPtr TSysFactoryList::GetFactory(const TGUID& iid) const
{
    ISysFactoryPtr f = FindFactory(iid);
    if (!f) throw Exception(Format("未找到%s接口！", {iid.ToString()}));
    return f;
}

void TSysFactoryList::Remove(const ISysFactoryPtr& factory)
{
    std::erase(items_, factory);
}

void TSysFactoryManager::RegisterFactory(const ISysFactoryPtr& factory) { FSysFactoryList.Add(factory); }

void TSysFactoryManager::UnRegisterFactory(const ISysFactoryPtr& factory)
{
    if (!factory) return;
    factory->ReleaseInstance();
    FSysFactoryList.Remove(factory);
}

void TSysFactoryManager::UnRegisterFactory(const TGUID& iid) { UnRegisterFactory(FSysFactoryList.GetFactory(iid)); }

void TSysFactoryManager::ReleaseInstances()
{
    for (int i = 0; i < FSysFactoryList.Count(); ++i) FSysFactoryList.Item(i)->ReleaseInstance();
}

} // namespace kiosk
