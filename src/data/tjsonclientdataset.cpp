#include "data/tjsonclientdataset.h"

#include "platform/dataset_p.h"
#include "platform/guid.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

std::string Quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

} // namespace

TjsonClientDataSet::TjsonClientDataSet(std::string name) : TDataSet(std::move(name)), providerName_(NewGuidText()) {}

TjsonClientDataSet::~TjsonClientDataSet()
{
    SetRemoteServer(nullptr);
}

void TjsonClientDataSet::SetRemoteServer(TjsonConnection* connection)
{
    if (remoteServer_ == connection) return;
    if (remoteServer_) remoteServer_->Unregister(this);
    remoteServer_ = connection;
    if (remoteServer_) remoteServer_->Register(this);
}

TjsonConnection& TjsonClientDataSet::Connection() const
{
    if (!remoteServer_) throw Exception(Format("数据集%s没有设置RemoteServer", {Name()}));
    return *remoteServer_;
}

void TjsonClientDataSet::SetAutoGetDetail(bool value)
{
    autoGetDetail_ = value;
    if (value) GetDetailRecords();
}

// ---------------------------------------------------------------- query and execute

void TjsonClientDataSet::InternalOpen()
{
    if (HasPendingPacket()) {
        TDataSet::InternalOpen();
        return;
    }
    TjsonConnection& connection = Connection();
    if (MasterSource()) {
        if (FMasterLinkField.empty() || (!Trim(masterFields_).empty() && Trim(FMasterLinkField) != Trim(masterFields_)))
            FMasterLinkField = masterFields_;
        if (FChildLinkField.empty() || (!Trim(IndexFieldNames()).empty() && Trim(FChildLinkField) != Trim(IndexFieldNames())))
            FChildLinkField = IndexFieldNames();
    }
    int recsOut = 0;
    TAppServerResult result;
    if (MasterSource() && !MasterSource()->IsEmpty() && !FMasterLinkField.empty()) {
        TParams sent = ParamsWithMasterValues();
        result = connection.AS_GetRecords(providerName_, -1, recsOut, 0, commandText_, sent);
        for (const TParam& p : sent)
            if (TParam* own = Params().FindParam(p.Name())) own->SetAsVariant(p.AsVariant());
    } else {
        result = connection.AS_GetRecords(providerName_, -1, recsOut, 0, commandText_, Params());
    }
    if (recsOut < 0) throw Exception(result.Text);
    LoadPacket(std::move(result.Data));
}

// The dataset's parameters plus the master's link values under the child link names.
TParams TjsonClientDataSet::ParamsWithMasterValues() const
{
    TParams sent(Params());
    const auto masterNames = datasetdetail::SplitFieldNames(FMasterLinkField);
    const auto childNames = datasetdetail::SplitFieldNames(FChildLinkField);
    for (std::size_t i = 0; i < masterNames.size(); ++i) {
        const TField* master = MasterSource()->FindField(masterNames[i]);
        if (!master) continue;
        const std::string& name = i < childNames.size() ? childNames[i] : masterNames[i];
        TParam* p = sent.FindParam(name);
        if (!p) p = &sent.CreateParam(master->DataType(), name, ptInput);
        p->SetAsVariant(master->AsVariant());
    }
    return sent;
}

void TjsonClientDataSet::DoAfterOpen()
{
    FFieldsValue = CurrentValues();
    masterAtEnd_ = MasterSource() && MasterSource()->Eof();
    TDataSet::DoAfterOpen();
}

void TjsonClientDataSet::InternalClose()
{
    FFieldsValue.clear();
}

void TjsonClientDataSet::Execute()
{
    Connection().AS_Execute(providerName_, commandText_, Params());
}

// ---------------------------------------------------------------- guards and record copies

std::vector<Value> TjsonClientDataSet::CurrentValues() const
{
    std::vector<Value> values;
    values.reserve(static_cast<std::size_t>(FieldCount()));
    for (int i = 0; i < FieldCount(); ++i) values.push_back(Fields(i).AsVariant());
    return values;
}

void TjsonClientDataSet::TakeSnapshot()
{
    if (!autoCloneData_) return;
    cloneData_ = Data();
    hasCloneData_ = true;
}

void TjsonClientDataSet::DoBeforeInsert()
{
    if (!canInsert_) Abort();
    TakeSnapshot();
    TDataSet::DoBeforeInsert();
}

void TjsonClientDataSet::DoBeforeEdit()
{
    if (!canEdit_) Abort();
    TakeSnapshot();
    TDataSet::DoBeforeEdit();
}

void TjsonClientDataSet::DoBeforeDelete()
{
    if (!canDelete_) Abort();
    TDataSet::DoBeforeDelete();
}

void TjsonClientDataSet::DoBeforeScroll()
{
    if (autoCopyRecord_) FFieldsValue = CurrentValues();
    TDataSet::DoBeforeScroll();
}

// A new record starts as a copy of the record that was current before it, for the fields
// whose value the server does not generate.
void TjsonClientDataSet::DoOnNewRecord()
{
    if (autoCopyRecord_ && FFieldsValue.size() == static_cast<std::size_t>(FieldCount())) {
        for (int i = 0; i < FieldCount(); ++i) {
            TField& f = Fields(i);
            if (f.AutoGenerateValue() != arDefault || !f.DefaultExpression().empty() || f.ReadOnly() ||
                f.FieldKind() != fkData || (f.ProviderFlags() & pfInKey))
                continue;
            f.SetData(FFieldsValue[static_cast<std::size_t>(i)]);
        }
    }
    TDataSet::DoOnNewRecord();
}

// ---------------------------------------------------------------- uniqueness

bool TjsonClientDataSet::IsUnique(const std::string& locateField, const std::string& locateValue,
                                  const std::string& checkField)
{
    if (!hasCloneData_) throw Exception("没有设置Dataset的AutoCloneData属性，所以不能进行唯一性校验！");
    TDataSet snapshot;
    snapshot.SetData(cloneData_);
    if (MasterSource() && !MasterSource()->IsEmpty()) {
        const auto masterNames = datasetdetail::SplitFieldNames(FMasterLinkField.empty() ? masterFields_ : FMasterLinkField);
        const auto childNames = datasetdetail::SplitFieldNames(FChildLinkField.empty() ? IndexFieldNames() : FChildLinkField);
        std::string filter;
        for (std::size_t i = 0; i < masterNames.size() && i < childNames.size(); ++i) {
            const TField* master = MasterSource()->FindField(masterNames[i]);
            const TField* child = snapshot.FindField(childNames[i]);
            if (!master || !child) continue;
            if (!filter.empty()) filter += " and ";
            filter += childNames[i] + "=" + (child->IsString() ? Quoted(master->AsString()) : master->AsString());
        }
        snapshot.SetFilter(filter);
        snapshot.SetFiltered(true);
    }
    const std::string v = FieldByName(checkField).AsString();
    int count = 0;
    TField& located = snapshot.FieldByName(locateField);
    TField& checked = snapshot.FieldByName(checkField);
    for (snapshot.First(); !snapshot.Eof(); snapshot.Next())
        if (located.AsString() != locateValue && checked.AsString() == v) ++count;
    return count == 0;
}

// ---------------------------------------------------------------- posting changed rows

int TjsonClientDataSet::ApplyUpdates(int MaxErrors)
{
    CheckBrowseModeForPost();
    if (ChangeCount() == 0) return 0;
    ApplyUpdatesStep(Delta(), MaxErrors);
    return 0;
}

void TjsonClientDataSet::ApplyDelta()
{
    CheckBrowseModeForPost();
    if (ChangeCount() > 0) ApplyUpdatesStep(Delta(), 0);
}

void TjsonClientDataSet::CheckBrowseModeForPost()
{
    if (State() == dsEdit || State() == dsInsert) Post();
}

void TjsonClientDataSet::ApplyUpdatesStep(const TDelta& delta, int maxErrors)
{
    TjsonConnection& connection = Connection();
    Fire(BeforeApplyUpdates);
    if (commitProvider_.empty()) commitProvider_ = providerName_;
    if (TField* key = FindField(keyField_.empty() ? "id" : keyField_)) key->SetProviderFlags(key->ProviderFlags() | pfInKey);
    int errorCount = 0;
    TAppServerResult result = connection.AS_ApplyUpdates(commitProvider_, delta, maxErrors, errorCount);
    if (errorCount != 0) throw Exception(result.Text);
    if (result.HasData && !result.Data.records.empty()) RefreshData(result.Data);
    if (!connection.BatchUpdates()) MergeChangeLog();
    Fire(AfterApplyUpdates);
}

void TjsonClientDataSet::RefreshData(const TDataPacket& ANewData)
{
    const TField* key = nullptr;
    for (int i = 0; i < FieldCount() && !key; ++i)
        if (Fields(i).ProviderFlags() & pfInKey) key = &Fields(i);
    if (!key) throw Exception("未定义主键，不能刷新数据！");
    const std::string keyName = key->FieldName();

    DisableControls();
    const Value currentKey = key->AsVariant();
    TDataSet* master = MasterSource();
    const bool readOnly = ReadOnly(), canEdit = canEdit_, filtered = Filtered();
    TDataSetNotifyEvent beforeScroll = std::move(BeforeScroll), afterScroll = std::move(AfterScroll),
                        beforeEdit = std::move(BeforeEdit), afterEdit = std::move(AfterEdit),
                        beforePost = std::move(BeforePost), afterPost = std::move(AfterPost);
    BeforeScroll = AfterScroll = BeforeEdit = AfterEdit = BeforePost = AfterPost = nullptr;
    SetMasterSource(nullptr);
    SetReadOnly(false);
    canEdit_ = true;
    SetFiltered(false);
    refreshing_ = true;
    auto restore = [&] {
        refreshing_ = false;
        SetFiltered(filtered);
        canEdit_ = canEdit;
        SetReadOnly(readOnly);
        SetMasterSource(master);
        BeforeScroll = std::move(beforeScroll);
        AfterScroll = std::move(afterScroll);
        BeforeEdit = std::move(beforeEdit);
        AfterEdit = std::move(afterEdit);
        BeforePost = std::move(beforePost);
        AfterPost = std::move(afterPost);
    };
    try {
        TDataSet fresh;
        fresh.SetData(ANewData);
        TField& freshKey = fresh.FieldByName(keyName);
        for (fresh.First(); !fresh.Eof(); fresh.Next()) {
            if (!Locate(keyName, freshKey.AsVariant())) continue;
            Edit();
            for (int i = 0; i < fresh.FieldCount(); ++i) {
                TField* mine = FindField(fresh.Fields(i).FieldName());
                if (!mine) continue;
                const Value v = dataconv::Coerce(fresh.Fields(i).AsVariant(), mine->DataType(), mine->FieldName());
                if (v != mine->AsVariant()) mine->SetData(v);
            }
            Post();
        }
    } catch (...) {
        Cancel();
        restore();
        EnableControls();
        throw;
    }
    restore();
    Locate(keyName, currentKey);
    EnableControls();
    MergeChangeLog();
    CancelUpdates();
}

// ---------------------------------------------------------------- master-detail

void TjsonClientDataSet::FetchDetail()
{
    if (!autoGetDetail_ || refreshing_ || !Active() || !MasterSource()) return;
    if (masterAtEnd_ || (!MasterSource()->IsEmpty() && ChangeCount() == 0)) {
        Close();
        Open();
    }
}

void TjsonClientDataSet::GetDetailRecords()
{
    if (Active()) FetchDetail();
}

} // namespace kiosk
