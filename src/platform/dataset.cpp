#include "platform/dataset.h"

#include <algorithm>
#include <limits>

#include "platform/dataset_p.h"
#include "platform/textutil.h"

namespace kiosk {

using datasetdetail::CompareValues;
using datasetdetail::SplitFieldNames;

struct TDataSet::Condition {
    datasetdetail::FilterTerm term;
    int field = -1;
};

struct TDataSet::SortKey {
    int field;
    bool descending;
    bool caseInsensitive;
};

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
const Value kNull;

// A record stores its values up to the last one that is not null: the nulls after it are not
// kept, so a row of nulls (an empty row object of an answer) costs no values at all.
void Compact(std::vector<Value>& values)
{
    while (!values.empty() && values.back().IsNull()) values.pop_back();
    if (values.empty()) std::vector<Value>().swap(values);
}

const Value& At(const std::vector<Value>& values, std::size_t f) { return f < values.size() ? values[f] : kNull; }

// The stored values with the nulls after them, one per field.
std::vector<Value> Padded(std::vector<Value> values, std::size_t count)
{
    if (values.size() < count) values.resize(count);
    return values;
}

bool SameValues(const std::vector<Value>& a, const std::vector<Value>& b)
{
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i)
        if (At(a, i) != At(b, i)) return false;
    return true;
}

} // namespace

// ---------------------------------------------------------------- data links

TDataLink::~TDataLink()
{
    SetDataSet(nullptr);
}

void TDataLink::SetDataSet(TDataSet* dataSet)
{
    if (dataSet_ == dataSet) return;
    if (dataSet_) std::erase(dataSet_->links_, this);
    dataSet_ = dataSet;
    if (dataSet_) dataSet_->links_.push_back(this);
}

// ---------------------------------------------------------------- life and structure

TDataSet::TDataSet(std::string name) : name_(std::move(name)) {}

TDataSet::~TDataSet()
{
    for (TDataLink* link : links_) link->dataSet_ = nullptr;
}

TField* TDataSet::FindField(std::string_view name) const
{
    for (const auto& f : fields_)
        if (SameText(f->FieldName(), name)) return f.get();
    return nullptr;
}

TField& TDataSet::FieldByName(std::string_view name) const
{
    if (TField* f = FindField(name)) return *f;
    throw Exception(Format("找不到字段“%s”", {name}));
}

void TDataSet::BuildFields()
{
    fields_.clear();
    fields_.reserve(static_cast<std::size_t>(fieldDefs_.Count()));
    for (int i = 0; i < fieldDefs_.Count(); ++i) fields_.push_back(std::make_unique<TField>(*this, fieldDefs_[i], i));
}

void TDataSet::CreateDataSet()
{
    if (fieldDefs_.Count() == 0) throw Exception("没有字段定义，不能创建数据集");
    TDataPacket packet;
    packet.fieldDefs = fieldDefs_;
    SetData(std::move(packet));
}

// ---------------------------------------------------------------- open and close

void TDataSet::Open()
{
    if (Active()) return;
    try {
        DoBeforeOpen();
    } catch (const EAbort&) {
        return;
    }
    InternalOpen();
    ActivateCursor();
}

void TDataSet::InternalOpen()
{
    if (pendingPacket_) {
        TDataPacket packet = std::move(*pendingPacket_);
        pendingPacket_.reset();
        LoadPacket(std::move(packet));
        return;
    }
    if (fieldDefs_.Count() == 0) throw Exception("缺少数据提供者或数据包");
    records_.clear();
    BuildFields();
}

void TDataSet::LoadPacket(TDataPacket packet)
{
    const bool sameStructure = packet.fieldDefs == fieldDefs_ && fields_.size() == std::size_t(fieldDefs_.Count());
    fieldDefs_ = std::move(packet.fieldDefs);
    records_ = std::move(packet.records);
    changeSeq_ = 0;
    for (const auto& r : records_) changeSeq_ = std::max(changeSeq_, r.changeSeq);
    if (!sameStructure) BuildFields();
}

void TDataSet::ActivateCursor()
{
    state_ = dsBrowse;
    modified_ = false;
    for (auto& c : conditions_) c.field = -1;
    cur_ = -1;
    RebuildView(kNone);
    cur_ = view_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = view_.empty();
    Notify(&TDataLink::ActiveChanged);
    DoAfterOpen();
    DoAfterScroll();
}

void TDataSet::Close()
{
    if (!Active()) return;
    Fire(BeforeClose);
    state_ = dsBrowse;
    buffer_.clear();
    modified_ = false;
    InternalClose();
    DropRecords();
    state_ = dsInactive;
    Notify(&TDataLink::ActiveChanged);
    Fire(AfterClose);
}

void TDataSet::DropRecords()
{
    records_.clear();
    view_.clear();
    cur_ = -1;
    bof_ = eof_ = true;
}

void TDataSet::CheckActive() const
{
    if (!Active()) throw Exception(Format("数据集%s未打开，不能执行此操作", {name_}));
}

void TDataSet::CheckWritable() const
{
    if (readOnly_) throw Exception(Format("数据集%s是只读的，不能修改", {name_}));
}

// ---------------------------------------------------------------- data packets

TDataPacket TDataSet::Data() const
{
    TDataPacket p;
    p.fieldDefs = fieldDefs_;
    if (Active()) p.records = records_;
    return p;
}

void TDataSet::SetData(TDataPacket packet)
{
    Close();
    pendingPacket_ = std::make_unique<TDataPacket>(std::move(packet));
    Open();
}

TDataPacket TDataSet::TakeData()
{
    TDataPacket p;
    p.fieldDefs = fieldDefs_;
    if (Active()) {
        if (state_ != dsBrowse) Cancel();
        p.records = std::move(records_);
    }
    Close();
    return p;
}

// ---------------------------------------------------------------- active record

const Value& TDataSet::ActiveValue(int field) const
{
    const auto f = static_cast<std::size_t>(field);
    if (state_ == dsEdit || state_ == dsInsert) return buffer_[f];
    if (cur_ < 0) return kNull;
    return At(records_[view_[static_cast<std::size_t>(cur_)]].values, f);
}

Value TDataSet::ActiveOldValue(int field) const
{
    const auto f = static_cast<std::size_t>(field);
    if (state_ == dsInsert || cur_ < 0) return Value();
    const TRecordData& r = records_[view_[static_cast<std::size_t>(cur_)]];
    if (!r.original.empty()) return At(r.original, f);
    return At(r.values, f);
}

void TDataSet::CheckEditing(const TField& field) const
{
    if (state_ != dsEdit && state_ != dsInsert) throw Exception(Format("数据集%s不在编辑或插入状态", {name_}));
    if (field.ReadOnly()) throw Exception(Format("字段“%s”不能修改", {field.FieldName()}));
}

void TDataSet::StoreActiveValue(TField& field, Value value, bool notify)
{
    if (state_ != dsEdit && state_ != dsInsert) throw Exception(Format("数据集%s不在编辑或插入状态", {name_}));
    Value& slot = buffer_[static_cast<std::size_t>(field.Index())];
    if (!notify) {
        slot = std::move(value);
        modified_ = true;
        return;
    }
    Value previous = std::move(slot);
    slot = std::move(value);
    if (field.OnValidate) {
        try {
            field.OnValidate(field);
        } catch (...) {
            buffer_[static_cast<std::size_t>(field.Index())] = std::move(previous);
            throw;
        }
    }
    modified_ = true;
    if (field.OnChange) field.OnChange(field);
    NotifyRecordChanged(&field);
}

// ---------------------------------------------------------------- view: order and filter

std::vector<TDataSet::SortKey> TDataSet::ActiveSortKeys() const
{
    std::vector<SortKey> keys;
    std::string names = indexFieldNames_;
    TIndexOptions options = 0;
    if (!indexName_.empty()) {
        for (const auto& def : indexDefs_) {
            if (SameText(def.Name, indexName_)) {
                names = def.Fields;
                options = def.Options;
            }
        }
    }
    for (const auto& name : SplitFieldNames(names)) {
        if (const TField* f = FindField(name))
            keys.push_back({f->Index(), (options & ixDescending) != 0, (options & ixCaseInsensitive) != 0});
    }
    return keys;
}

bool TDataSet::Accepts(const TRecordData& record) const
{
    if (record.status == usDeleted) return false;
    if (!filtered_) return true;
    for (const auto& c : conditions_) {
        if (c.field < 0) return false;
        const Value& v = At(record.values, static_cast<std::size_t>(c.field));
        const TFieldType type = fields_[static_cast<std::size_t>(c.field)]->DataType();
        if (c.term.isText) {
            if (dataconv::AsString(v, type) != c.term.text) return false;
            continue;
        }
        double d = 0;
        if (v.IsNull() || !v.TryToDouble(d) || d != c.term.number) return false;
    }
    return true;
}

void TDataSet::RebuildView(std::size_t keepRecord)
{
    if (filtered_) {
        for (auto& c : conditions_) {
            const TField* f = FindField(c.term.fieldName);
            c.field = f ? f->Index() : -1;
        }
    }
    view_.clear();
    view_.reserve(records_.size());
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (Accepts(records_[i])) view_.push_back(static_cast<std::uint32_t>(i));
    const auto keys = ActiveSortKeys();
    if (!keys.empty()) {
        std::stable_sort(view_.begin(), view_.end(), [&](std::uint32_t a, std::uint32_t b) {
            for (const auto& k : keys) {
                const auto f = static_cast<std::size_t>(k.field);
                int c = CompareValues(At(records_[a].values, f), At(records_[b].values, f), k.caseInsensitive);
                if (k.descending) c = -c;
                if (c != 0) return c < 0;
            }
            return false;
        });
    }
    if (keepRecord != kNone) {
        const auto it = std::find(view_.begin(), view_.end(), static_cast<std::uint32_t>(keepRecord));
        if (it != view_.end()) {
            cur_ = static_cast<int>(it - view_.begin());
            return;
        }
    }
    if (view_.empty()) cur_ = -1;
    else cur_ = std::clamp(cur_, 0, static_cast<int>(view_.size()) - 1);
}

std::size_t TDataSet::CurrentStorage() const
{
    return cur_ < 0 ? kNone : view_[static_cast<std::size_t>(cur_)];
}

void TDataSet::ReserveRecords(std::size_t count)
{
    records_.reserve(records_.size() + count);
    view_.reserve(view_.size() + count);
}

const Value& TDataSet::ValueAt(int row, int field) const
{
    if (row < 0 || row >= RecordCount() || field < 0 || field >= FieldCount()) return kNull;
    return At(records_[view_[static_cast<std::size_t>(row)]].values, static_cast<std::size_t>(field));
}

void TDataSet::AddIndex(std::string name, std::string fields, TIndexOptions options)
{
    for (const auto& def : indexDefs_)
        if (SameText(def.Name, name)) throw Exception(Format("索引“%s”已存在", {name}));
    indexDefs_.push_back({std::move(name), std::move(fields), options});
}

void TDataSet::DeleteIndex(std::string_view name)
{
    const auto it = std::find_if(indexDefs_.begin(), indexDefs_.end(), [&](const TIndexDef& d) { return SameText(d.Name, name); });
    if (it == indexDefs_.end()) throw Exception(Format("找不到索引“%s”", {name}));
    const bool wasActive = SameText(indexName_, name);
    indexDefs_.erase(it);
    if (wasActive) SetIndexName({});
}

void TDataSet::SetIndexName(std::string name)
{
    if (!name.empty()) {
        const auto it = std::find_if(indexDefs_.begin(), indexDefs_.end(), [&](const TIndexDef& d) { return SameText(d.Name, name); });
        if (it == indexDefs_.end()) throw Exception(Format("找不到索引“%s”", {name}));
        if (Active())
            for (const auto& f : SplitFieldNames(it->Fields)) FieldByName(f);
    }
    CheckBrowseMode();
    indexName_ = std::move(name);
    indexFieldNames_.clear();
    if (!Active()) return;
    RebuildView(CurrentStorage());
    Notify(&TDataLink::DataSetChanged);
}

void TDataSet::SetIndexFieldNames(std::string names)
{
    if (Active())
        for (const auto& f : SplitFieldNames(names)) FieldByName(f);
    CheckBrowseMode();
    indexFieldNames_ = std::move(names);
    indexName_.clear();
    if (!Active()) return;
    RebuildView(CurrentStorage());
    Notify(&TDataLink::DataSetChanged);
}

void TDataSet::SetFilter(std::string expression)
{
    auto terms = datasetdetail::ParseFilter(expression);
    if (Active())
        for (const auto& t : terms) FieldByName(t.fieldName);
    CheckBrowseMode();
    conditions_.clear();
    for (auto& t : terms) conditions_.push_back({std::move(t), -1});
    filter_ = std::move(expression);
    if (!Active() || !filtered_) return;
    RebuildView(CurrentStorage());
    Notify(&TDataLink::DataSetChanged);
}

void TDataSet::SetFiltered(bool value)
{
    if (filtered_ == value) return;
    if (value && Active())
        for (const auto& c : conditions_) FieldByName(c.term.fieldName);
    CheckBrowseMode();
    filtered_ = value;
    if (!Active()) return;
    RebuildView(CurrentStorage());
    bof_ = true;
    eof_ = view_.empty();
    Notify(&TDataLink::DataSetChanged);
}

// ---------------------------------------------------------------- cursor

void TDataSet::CheckBrowseMode()
{
    if (state_ != dsEdit && state_ != dsInsert) return;
    if (modified_) Post();
    else Cancel();
}

void TDataSet::MoveTo(int viewIndex)
{
    cur_ = viewIndex;
    Notify(&TDataLink::DataSetScrolled);
    DoAfterScroll();
}

void TDataSet::First()
{
    CheckActive();
    CheckBrowseMode();
    try {
        DoBeforeScroll();
    } catch (const EAbort&) {
        return;
    }
    bof_ = true;
    eof_ = view_.empty();
    MoveTo(view_.empty() ? -1 : 0);
}

void TDataSet::Last()
{
    CheckActive();
    CheckBrowseMode();
    try {
        DoBeforeScroll();
    } catch (const EAbort&) {
        return;
    }
    eof_ = true;
    bof_ = view_.empty();
    MoveTo(static_cast<int>(view_.size()) - 1);
}

void TDataSet::Next() { MoveBy(1); }
void TDataSet::Prior() { MoveBy(-1); }

int TDataSet::MoveBy(int distance)
{
    CheckActive();
    CheckBrowseMode();
    if (distance == 0) return 0;
    if ((distance > 0 && eof_) || (distance < 0 && bof_)) return 0;
    try {
        DoBeforeScroll();
    } catch (const EAbort&) {
        return 0;
    }
    bof_ = eof_ = false;
    const int last = static_cast<int>(view_.size()) - 1;
    long long target = static_cast<long long>(cur_) + distance;
    if (target > last) {
        target = last;
        eof_ = true;
    }
    if (target < 0) {
        target = 0;
        bof_ = true;
    }
    const int moved = static_cast<int>(target) - cur_;
    MoveTo(static_cast<int>(target));
    return moved;
}

int TDataSet::RecNo() const
{
    if (state_ == dsInsert || cur_ < 0) return 0;
    return cur_ + 1;
}

void TDataSet::SetRecNo(int recNo)
{
    CheckActive();
    CheckBrowseMode();
    if (recNo < 1 || recNo > RecordCount() || recNo == cur_ + 1) return;
    try {
        DoBeforeScroll();
    } catch (const EAbort&) {
        return;
    }
    bof_ = eof_ = false;
    MoveTo(recNo - 1);
}

bool TDataSet::Locate(std::string_view keyFields, const Value& value, TLocateOptions options)
{
    return Locate(keyFields, std::vector<Value>{value}, options);
}

bool TDataSet::RecordMatches(const TRecordData& record, const std::vector<int>& fields,
                             const std::vector<Value>& values, TLocateOptions options) const
{
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const Value& stored = At(record.values, static_cast<std::size_t>(fields[k]));
        const Value& wanted = values[k];
        if (wanted.IsNull() || stored.IsNull()) {
            if (wanted.IsNull() != stored.IsNull()) return false;
            continue;
        }
        const TFieldType type = fields_[static_cast<std::size_t>(fields[k])]->DataType();
        if (IsStringType(type) || IsBlobType(type)) {
            const std::string s = stored.ToText();
            std::string w = wanted.ToText();
            const bool ci = (options & loCaseInsensitive) != 0;
            if (options & loPartialKey) {
                if (s.size() < w.size() || datasetdetail::CompareValues(Value(s.substr(0, w.size())), Value(w), ci) != 0) return false;
            } else if (datasetdetail::CompareValues(Value(s), Value(w), ci) != 0) {
                return false;
            }
            continue;
        }
        Value converted;
        try {
            converted = dataconv::Coerce(wanted, type, fields_[static_cast<std::size_t>(fields[k])]->FieldName());
        } catch (const Exception&) {
            return false;
        }
        if (CompareValues(stored, converted, false) != 0) return false;
    }
    return true;
}

bool TDataSet::Locate(std::string_view keyFields, const std::vector<Value>& values, TLocateOptions options)
{
    CheckActive();
    CheckBrowseMode();
    std::vector<int> fields;
    for (const auto& name : SplitFieldNames(keyFields)) fields.push_back(FieldByName(name).Index());
    if (fields.empty() || fields.size() != values.size())
        throw Exception(Format("定位字段“%s”与定位值的个数不一致", {keyFields}));
    for (std::size_t i = 0; i < view_.size(); ++i) {
        if (!RecordMatches(records_[view_[i]], fields, values, options)) continue;
        try {
            DoBeforeScroll();
        } catch (const EAbort&) {
            return false;
        }
        bof_ = eof_ = false;
        MoveTo(static_cast<int>(i));
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- editing

bool TDataSet::Edit()
{
    CheckActive();
    if (state_ == dsEdit || state_ == dsInsert) return true;
    if (view_.empty()) return Insert();
    CheckWritable();
    try {
        DoBeforeEdit();
    } catch (const EAbort&) {
        return false;
    }
    buffer_ = Padded(records_[CurrentStorage()].values, fields_.size());
    state_ = dsEdit;
    modified_ = false;
    Notify(&TDataLink::EditingChanged);
    Fire(AfterEdit);
    return true;
}

bool TDataSet::Append() { return StartInsert(true); }
bool TDataSet::Insert() { return StartInsert(false); }

bool TDataSet::StartInsert(bool append)
{
    CheckActive();
    CheckBrowseMode();
    CheckWritable();
    try {
        DoBeforeInsert();
        DoBeforeScroll();
    } catch (const EAbort&) {
        return false;
    }
    const std::size_t current = CurrentStorage();
    insertBefore_ = (append || current == kNone) ? records_.size() : current;
    buffer_.assign(fields_.size(), Value());
    state_ = dsInsert;
    try {
        DoOnNewRecord();
    } catch (const EAbort&) {
        state_ = dsBrowse;
        buffer_.clear();
        return false;
    } catch (...) {
        state_ = dsBrowse;
        buffer_.clear();
        throw;
    }
    modified_ = false;
    Notify(&TDataLink::EditingChanged);
    Fire(AfterInsert);
    DoAfterScroll();
    return true;
}

bool TDataSet::Post()
{
    CheckActive();
    if (state_ != dsEdit && state_ != dsInsert) return true;
    try {
        Fire(BeforePost);
    } catch (const EAbort&) {
        return false;
    }
    for (const auto& f : fields_)
        if (f->Required() && buffer_[static_cast<std::size_t>(f->Index())].IsNull())
            throw Exception(Format("字段“%s”必须有值", {f->FieldName()}));
    const bool unordered = !filtered_ && ActiveSortKeys().empty();
    if (state_ == dsEdit) {
        const std::size_t storage = CurrentStorage();
        TRecordData& r = records_[storage];
        if (!SameValues(buffer_, r.values)) {
            if (r.status == usUnmodified) {
                // The base values are kept whole: an empty `original` means "not modified".
                r.original = Padded(std::move(r.values), fields_.size());
                r.status = usModified;
                r.changeSeq = ++changeSeq_;
            }
            Compact(buffer_);
            r.values = std::move(buffer_);
            if (!unordered) RebuildView(storage);
        }
    } else {
        Compact(buffer_);
        TRecordData r{std::move(buffer_), {}, usInserted, ++changeSeq_};
        if (unordered && insertBefore_ == records_.size()) {
            records_.push_back(std::move(r));
            view_.push_back(static_cast<std::uint32_t>(records_.size() - 1));
            cur_ = static_cast<int>(view_.size()) - 1;
        } else {
            records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(insertBefore_), std::move(r));
            RebuildView(insertBefore_);
        }
        bof_ = eof_ = false;
    }
    buffer_.clear();
    state_ = dsBrowse;
    modified_ = false;
    Notify(&TDataLink::DataSetChanged);
    DoAfterPost();
    return true;
}

void TDataSet::Cancel()
{
    if (state_ != dsEdit && state_ != dsInsert) return;
    Fire(BeforeCancel);
    const bool wasInsert = state_ == dsInsert;
    buffer_.clear();
    state_ = dsBrowse;
    modified_ = false;
    Notify(&TDataLink::DataSetChanged);
    Fire(AfterCancel);
    if (wasInsert) DoAfterScroll();
}

bool TDataSet::Delete()
{
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return true;
    }
    if (view_.empty()) throw Exception(Format("数据集%s为空，不能删除记录", {name_}));
    CheckWritable();
    try {
        DoBeforeDelete();
        DoBeforeScroll();
    } catch (const EAbort&) {
        return false;
    }
    if (state_ == dsEdit) {
        buffer_.clear();
        state_ = dsBrowse;
        modified_ = false;
    }
    const std::size_t storage = CurrentStorage();
    TRecordData& r = records_[storage];
    if (r.status == usInserted) {
        std::size_t next = kNone;
        const auto pos = static_cast<std::size_t>(cur_);
        if (pos + 1 < view_.size()) next = view_[pos + 1];
        else if (pos > 0) next = view_[pos - 1];
        if (next != kNone && next > storage) --next;
        records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(storage));
        RebuildView(next);
    } else {
        r.status = usDeleted;
        r.changeSeq = ++changeSeq_;
        view_.erase(view_.begin() + cur_);
        if (view_.empty()) cur_ = -1;
        else cur_ = std::min(cur_, static_cast<int>(view_.size()) - 1);
    }
    bof_ = eof_ = view_.empty();
    Notify(&TDataLink::DataSetChanged);
    Fire(AfterDelete);
    DoAfterScroll();
    return true;
}

void TDataSet::EmptyDataSet()
{
    CheckActive();
    Cancel();
    DropRecords();
    Notify(&TDataLink::DataSetChanged);
}

// ---------------------------------------------------------------- change log

TUpdateStatus TDataSet::UpdateStatus() const
{
    if (state_ == dsInsert) return usInserted;
    if (cur_ < 0) return usUnmodified;
    return records_[CurrentStorage()].status;
}

int TDataSet::ChangeCount() const
{
    return static_cast<int>(std::count_if(records_.begin(), records_.end(),
                                          [](const TRecordData& r) { return r.status != usUnmodified; }));
}

void TDataSet::MergeChangeLog()
{
    if (!Active()) return;
    CheckBrowseMode();
    std::size_t keep = CurrentStorage();
    std::size_t write = 0;
    std::size_t newKeep = kNone;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (records_[i].status == usDeleted) continue;
        if (i == keep) newKeep = write;
        TRecordData& r = records_[i];
        r.status = usUnmodified;
        r.original.clear();
        r.changeSeq = 0;
        if (write != i) records_[write] = std::move(r);
        ++write;
    }
    records_.resize(write);
    changeSeq_ = 0;
    RebuildView(newKeep);
    Notify(&TDataLink::DataSetChanged);
}

void TDataSet::CancelUpdates()
{
    if (!Active()) return;
    Cancel();
    if (ChangeCount() == 0) return;
    std::erase_if(records_, [](const TRecordData& r) { return r.status == usInserted; });
    for (auto& r : records_) {
        if (!r.original.empty()) r.values = std::move(r.original);
        r.original.clear();
        r.status = usUnmodified;
        r.changeSeq = 0;
    }
    changeSeq_ = 0;
    cur_ = 0;
    RebuildView(kNone);
    bof_ = true;
    eof_ = view_.empty();
    Notify(&TDataLink::DataSetChanged);
}

TDelta TDataSet::Delta() const
{
    TDelta delta;
    delta.fieldDefs = fieldDefs_;
    std::vector<const TRecordData*> changed;
    for (const auto& r : records_)
        if (r.status != usUnmodified) changed.push_back(&r);
    std::sort(changed.begin(), changed.end(), [](auto* a, auto* b) { return a->changeSeq < b->changeSeq; });
    const std::size_t n = fields_.size();
    for (const TRecordData* r : changed) {
        switch (r->status) {
        case usModified: {
            delta.records.push_back({usUnmodified, Padded(r->original, n), std::vector<bool>(n, true)});
            TDeltaRecord row{usModified, std::vector<Value>(n), std::vector<bool>(n, false)};
            for (std::size_t i = 0; i < n; ++i) {
                if (At(r->values, i) == At(r->original, i)) continue;
                row.values[i] = At(r->values, i);
                row.assigned[i] = true;
            }
            delta.records.push_back(std::move(row));
            break;
        }
        case usInserted: delta.records.push_back({usInserted, Padded(r->values, n), std::vector<bool>(n, true)}); break;
        case usDeleted:
            delta.records.push_back(
                {usDeleted, Padded(r->original.empty() ? r->values : r->original, n), std::vector<bool>(n, true)});
            break;
        case usUnmodified: break;
        }
    }
    return delta;
}

// ---------------------------------------------------------------- display updates

void TDataSet::EnableControls()
{
    if (disableCount_ > 0) --disableCount_;
    if (disableCount_ > 0 || !pendingChange_) return;
    pendingChange_ = false;
    Notify(&TDataLink::DataSetChanged);
}

void TDataSet::Notify(void (TDataLink::*what)())
{
    if (links_.empty()) return;
    if (disableCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    const auto links = links_;
    for (TDataLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) (link->*what)();
}

void TDataSet::NotifyRecordChanged(TField* field)
{
    if (links_.empty()) return;
    if (disableCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    const auto links = links_;
    for (TDataLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->RecordChanged(field);
}

} // namespace kiosk
