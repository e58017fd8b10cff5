#pragma once
// TjsonClientDataSet: the in-memory table through which every screen and service talks to the
// server. Two uses only:
//   query:   set input parameters, Open(); the answer's rows become the records and the output
//            parameters are filled;
//   execute: set input parameters, Execute(); the records are untouched, and the output
//            parameters ("flag", "msg", …) are read with ParamByName.
// The dataset names its TjsonConnection as RemoteServer; the connection finds it by its
// ProviderName (a fresh braced GUID unless set otherwise).
#include <string>
#include <vector>

#include "data/tjsonconnection.h"
#include "platform/dataset.h"

namespace kiosk {

// A settings holder that nothing in the system reads.
struct TRemoveDataControl {
    std::string RowFilter;
    std::vector<std::string> LineFieldNames;
};

class TjsonClientDataSet : public TDataSet {
public:
    explicit TjsonClientDataSet(std::string name = {});
    ~TjsonClientDataSet() override;

    // ---- the connection
    TjsonConnection* RemoteServer() const { return remoteServer_; }
    void SetRemoteServer(TjsonConnection* connection);
    const std::string& ProviderName() const { return providerName_; }
    void SetProviderName(std::string value) { providerName_ = std::move(value); }
    // Sent as "&param=" + CommandText with every query when not empty.
    const std::string& CommandText() const { return commandText_; }
    void SetCommandText(std::string value) { commandText_ = std::move(value); }

    // ---- published properties
    const std::string& DataSourceName() const { return dataSourceName_; }
    void SetDataSourceName(std::string value) { dataSourceName_ = std::move(value); }
    const std::string& QueryAddress() const { return queryAddress_; }
    void SetQueryAddress(std::string value) { queryAddress_ = std::move(value); }
    const std::string& SaveAddress() const { return saveAddress_; }
    void SetSaveAddress(std::string value) { saveAddress_ = std::move(value); }
    const std::string& UpdateDataSet() const { return updateDataSet_; }
    void SetUpdateDataSet(std::string value) { updateDataSet_ = std::move(value); }
    const std::string& KeyField() const { return keyField_; }
    void SetKeyField(std::string value) { keyField_ = std::move(value); }
    std::vector<std::string>& EncryptFieldNames() { return encryptFieldNames_; }
    bool AutoActive() const { return autoActive_; }
    void SetAutoActive(bool value) { autoActive_ = value; }
    bool AutoCopyRecord() const { return autoCopyRecord_; }
    void SetAutoCopyRecord(bool value) { autoCopyRecord_ = value; }
    bool CanInsert() const { return canInsert_; }
    void SetCanInsert(bool value) { canInsert_ = value; }
    bool CanEdit() const { return canEdit_; }
    void SetCanEdit(bool value) { canEdit_ = value; }
    bool CanDelete() const { return canDelete_; }
    void SetCanDelete(bool value) { canDelete_ = value; }
    const std::string& CommitProvider() const { return commitProvider_; }
    void SetCommitProvider(std::string value) { commitProvider_ = std::move(value); }
    bool AutoGetDetail() const { return autoGetDetail_; }
    // Switching it on also fetches the detail rows.
    void SetAutoGetDetail(bool value);
    bool CheckChange() const { return checkChange_; }
    void SetCheckChange(bool value) { checkChange_ = value; }
    bool AutoCloneData() const { return autoCloneData_; }
    void SetAutoCloneData(bool value) { autoCloneData_ = value; }
    bool MergeLog() const { return mergeLog_; }
    void SetMergeLog(bool value) { mergeLog_ = value; }
    TRemoveDataControl& RemoveDataControl() { return removeDataControl_; }
    void SetRemoveDataControl(TRemoveDataControl value) { removeDataControl_ = std::move(value); }
    bool refreshAfterApplyUpdates() const { return refreshAfterApplyUpdates_; }
    void SetrefreshAfterApplyUpdates(bool value) { refreshAfterApplyUpdates_ = value; }

    // The snapshot taken when an edit or insert starts (AutoCloneData); empty before the first.
    const TDataPacket& CloneData() const { return cloneData_; }
    bool HasCloneData() const { return hasCloneData_; }

    // ---- master-detail (not used by the screens)
    TDataSet* MasterSource() const { return masterLink_.DataSet(); }
    void SetMasterSource(TDataSet* master) { masterLink_.SetDataSet(master); }
    const std::string& MasterFields() const { return masterFields_; }
    void SetMasterFields(std::string value) { masterFields_ = std::move(value); }

    // ---- operations
    // Sends the input parameters to SaveAddress and fills the output parameters; works on a
    // closed dataset and leaves the records alone. Fails with the connection's text.
    void Execute();
    // Posts the pending changes; fails with the connection's text. Returns the error count (0).
    int ApplyUpdates(int MaxErrors);
    // Posts an edit in progress, then the pending changes (tolerance 0), if there are any.
    void ApplyDelta();
    // Merges refreshed rows into the records by the key field (the first flagged pfInKey).
    void RefreshData(const TDataPacket& ANewData);
    // True when no record of the snapshot other than those whose `locateField` text is
    // `locateValue` has the current record's `checkField` text.
    bool IsUnique(const std::string& locateField, const std::string& locateValue, const std::string& checkField);
    // Fetches the detail rows for the master's current record.
    void GetDetailRecords();

    TDataSetNotifyEvent BeforeApplyUpdates;
    TDataSetNotifyEvent AfterApplyUpdates;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void DoBeforeInsert() override;
    void DoBeforeEdit() override;
    void DoBeforeDelete() override;
    void DoBeforeScroll() override;
    void DoOnNewRecord() override;
    void DoAfterOpen() override;

private:
    friend class TjsonConnection;

    class MasterLink : public TDataLink {
    public:
        explicit MasterLink(TjsonClientDataSet& detail) : detail_(detail) {}
        void DataSetScrolled() override { detail_.FetchDetail(); }
        void DataSetChanged() override { detail_.FetchDetail(); }

    private:
        TjsonClientDataSet& detail_;
    };

    void ApplyUpdatesStep(const TDelta& delta, int maxErrors);
    void FetchDetail();
    void TakeSnapshot();
    void CheckBrowseModeForPost();
    TParams ParamsWithMasterValues() const;
    std::vector<Value> CurrentValues() const;
    TjsonConnection& Connection() const;

    TjsonConnection* remoteServer_ = nullptr;
    std::string providerName_;
    std::string commandText_;
    std::string dataSourceName_ = "dataSet";
    std::string queryAddress_;
    std::string saveAddress_;
    std::string updateDataSet_;
    std::string keyField_;
    std::vector<std::string> encryptFieldNames_;
    bool autoActive_ = false;
    bool autoCopyRecord_ = false;
    bool canInsert_ = true;
    bool canEdit_ = true;
    bool canDelete_ = true;
    std::string commitProvider_;
    bool autoGetDetail_ = true;
    bool checkChange_ = false;
    bool autoCloneData_ = false;
    bool mergeLog_ = true;
    TRemoveDataControl removeDataControl_;
    bool refreshAfterApplyUpdates_ = false;
    TDataPacket cloneData_;
    bool hasCloneData_ = false;

    std::vector<Value> FFieldsValue;
    std::string FMasterLinkField;
    std::string FChildLinkField;
    std::string masterFields_;
    bool refreshing_ = false;
    bool masterAtEnd_ = false;
    MasterLink masterLink_{*this};
};

} // namespace kiosk
