#include "platform/datasetparam.h"

#include "platform/exception.h"
#include "platform/textutil.h"

namespace kiosk {

TParam::TParam(std::string name, TFieldType dataType, TParamType paramType)
    : name_(std::move(name)), dataType_(dataType), paramType_(paramType)
{
}

void TParam::TakeType(TFieldType type)
{
    if (dataType_ == ftUnknown) dataType_ = type;
}

void TParam::SetAsVariant(Value value) { value_ = std::move(value); }
void TParam::SetAsString(std::string_view value) { TakeType(ftString); value_ = Value(value); }
void TParam::SetAsInteger(int value) { TakeType(ftInteger); value_ = Value(value); }
void TParam::SetAsLargeInt(std::int64_t value) { TakeType(ftLargeint); value_ = Value(value); }
void TParam::SetAsFloat(double value) { TakeType(ftFloat); value_ = Value(value); }
void TParam::SetAsBoolean(bool value) { TakeType(ftBoolean); value_ = Value(value); }
void TParam::SetAsDateTime(DateTime value) { TakeType(ftDateTime); value_ = Value(value); }
void TParam::SetAsDate(DateTime value) { TakeType(ftDate); value_ = Value(value.DateOnly()); }

TParams& TParams::operator=(const TParams& other)
{
    if (this != &other) Assign(other);
    return *this;
}

TParam* TParams::FindParam(std::string_view name)
{
    for (auto& p : items_)
        if (SameText(p->Name(), name)) return p.get();
    return nullptr;
}

const TParam* TParams::FindParam(std::string_view name) const
{
    return const_cast<TParams*>(this)->FindParam(name);
}

TParam& TParams::ParamByName(std::string_view name)
{
    if (TParam* p = FindParam(name)) return *p;
    throw Exception(Format("找不到参数“%s”", {name}));
}

const TParam& TParams::ParamByName(std::string_view name) const
{
    return const_cast<TParams*>(this)->ParamByName(name);
}

TParam& TParams::CreateParam(TFieldType dataType, std::string name, TParamType paramType)
{
    items_.push_back(std::make_unique<TParam>(std::move(name), dataType, paramType));
    return *items_.back();
}

void TParams::RemoveParam(std::string_view name)
{
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if (SameText((*it)->Name(), name)) {
            items_.erase(it);
            return;
        }
    }
}

void TParams::Assign(const TParams& other)
{
    std::vector<std::unique_ptr<TParam>> copy;
    copy.reserve(other.items_.size());
    for (const auto& p : other.items_) copy.push_back(std::make_unique<TParam>(*p));
    items_ = std::move(copy);
}

} // namespace kiosk
