#pragma once
// The in-memory dataset every screen and service stands on: field definitions and fields,
// records with a cursor, editing with a change log (old values and update status), named
// indexes, a small filter expression, locate, parameters, display-update suspension for the
// views bound to it, and events. TjsonClientDataSet derives from it and fills it from the
// server; the converters of data/tablejson.h load and write it.
//
// Ownership: the dataset owns its fields, records and parameters. A TField reference stays
// valid until the structure changes (SetData, CreateDataSet, a new field list); screens look
// fields up by name each time. Data links (views) register themselves and are told when the
// dataset dies.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datasetfield.h"
#include "platform/datasetparam.h"
#include "platform/exception.h"
#include "platform/value.h"

namespace kiosk {

// The silent abort: a before-event (or a guard of a subclass) raises it to stop the operation
// it precedes. The dataset's own operations catch it and report "not done" (false).
class EAbort : public Exception {
public:
    EAbort() : Exception("操作已取消") {}
};

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };

enum TIndexOption : unsigned { ixDescending = 1, ixCaseInsensitive = 2 };
using TIndexOptions = unsigned;
enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;

struct TIndexDef {
    std::string Name;
    std::string Fields;   // field names separated by ";"
    TIndexOptions Options = 0;
};

// One record as stored: its values, and for a modified record the values before the change.
struct TRecordData {
    std::vector<Value> values;
    std::vector<Value> original;   // usModified (or deleted after a modification): base values
    TUpdateStatus status = usUnmodified;
    std::uint64_t changeSeq = 0;   // order of the change in the change log
};

// Everything a dataset holds, change log included: the unit that a snapshot (CloneData), a
// query result and SetData carry. Records are in natural (load) order, deleted ones included.
struct TDataPacket {
    TFieldDefs fieldDefs;
    std::vector<TRecordData> records;
    bool Empty() const { return fieldDefs.Count() == 0 && records.empty(); }
};

// The change log as the row posting reads it, in the order the changes were made: a modified
// record gives an usUnmodified row with its old values followed by an usModified row in which
// only the changed fields are assigned; an inserted record one usInserted row; a deleted one an
// usDeleted row with its base values.
struct TDeltaRecord {
    TUpdateStatus status = usUnmodified;
    std::vector<Value> values;
    std::vector<bool> assigned;
};
struct TDelta {
    TFieldDefs fieldDefs;
    std::vector<TDeltaRecord> records;
    bool Empty() const { return records.empty(); }
};

// A view bound to a dataset (grid, seat view, data-aware edit). Notifications are held back
// while the dataset's controls are disabled; EnableControls then sends one DataSetChanged.
class TDataLink {
public:
    TDataLink() = default;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;
    virtual ~TDataLink();

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);

    virtual void ActiveChanged() {}
    virtual void DataSetChanged() {}   // records added, removed, reloaded, reordered or filtered
    virtual void DataSetScrolled() {}  // the cursor moved
    virtual void RecordChanged(TField* /*field*/) {} // a value of the active record changed
    virtual void EditingChanged() {}

private:
    friend class TDataSet;
    TDataSet* dataSet_ = nullptr;
};

class TDataSet {
public:
    using TDataSetNotifyEvent = std::function<void(TDataSet&)>;

    explicit TDataSet(std::string name = {});
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;
    virtual ~TDataSet();

    // The component name, used in the system's messages ("jscdQryCheckeds未设置查询地址！").
    const std::string& Name() const { return name_; }
    void SetName(std::string value) { name_ = std::move(value); }

    // ---- structure
    TFieldDefs& FieldDefs() { return fieldDefs_; }
    const TFieldDefs& FieldDefs() const { return fieldDefs_; }
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField& Fields(int i) const { return *fields_[static_cast<std::size_t>(i)]; }
    TField* FindField(std::string_view name) const;
    // Raises "找不到字段“name”" when the dataset has no such field.
    TField& FieldByName(std::string_view name) const;
    // Builds the fields from FieldDefs and opens an empty table.
    void CreateDataSet();

    // ---- opening and closing
    void Open();
    // Closes the cursor and drops the records (a query opens again from the server); the
    // field definitions and the parameters stay.
    void Close();
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool value) { value ? Open() : Close(); }
    TDataSetState State() const { return state_; }
    bool IsEmpty() const { return view_.empty(); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }

    // ---- cursor (record numbers from 1; 0 on an empty dataset)
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    int RecNo() const;
    void SetRecNo(int recNo);
    int RecordCount() const { return static_cast<int>(view_.size()); }
    // Room for `count` more records, asked before a load whose size is known, so the records'
    // storage grows once instead of by doubling.
    void ReserveRecords(std::size_t count);
    // Moves to the first record (in the cursor's order) whose fields `keyFields` (names joined
    // by ";") equal `values`; text compares exactly unless loCaseInsensitive, loPartialKey
    // matches the start of a text. Returns false and stays when none matches.
    bool Locate(std::string_view keyFields, const Value& value, TLocateOptions options = 0);
    bool Locate(std::string_view keyFields, const std::vector<Value>& values, TLocateOptions options = 0);
    // The stored value of field `field` in record `row` (0-based, cursor order) without moving.
    const Value& ValueAt(int row, int field) const;

    // ---- editing (each returns false when a guard or a before-event stopped it)
    bool Append();
    bool Insert();
    bool Edit();
    bool Post();
    void Cancel();
    bool Delete();
    // A value of the edit or insert in progress was set.
    bool Modified() const { return modified_; }
    // Removes every record; the change log is cleared too.
    void EmptyDataSet();

    // ---- change log
    TUpdateStatus UpdateStatus() const;
    int ChangeCount() const;
    // Makes the pending changes the base values: modified and inserted records become
    // unmodified, deleted ones are dropped.
    void MergeChangeLog();
    // Undoes every pending change.
    void CancelUpdates();
    TDelta Delta() const;

    // ---- data packets
    // A copy of the structure and all records, pending changes included.
    TDataPacket Data() const;
    // Replaces structure and records by `packet` and opens on it (no request is made).
    void SetData(TDataPacket packet);
    // Moves the structure and records out; the dataset is closed afterwards.
    TDataPacket TakeData();

    // ---- indexes and order
    void AddIndex(std::string name, std::string fields, TIndexOptions options = 0);
    void DeleteIndex(std::string_view name);
    const std::vector<TIndexDef>& IndexDefs() const { return indexDefs_; }
    const std::string& IndexName() const { return indexName_; }
    void SetIndexName(std::string name);
    // Ascending, case-sensitive order on the fields named (joined by ";"); clears IndexName.
    const std::string& IndexFieldNames() const { return indexFieldNames_; }
    void SetIndexFieldNames(std::string names);

    // ---- filter: conditions field='text' or field=number joined by "and"
    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string expression);
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool value);

    // ---- parameters
    TParams& Params() { return params_; }
    const TParams& Params() const { return params_; }
    TParam& ParamByName(std::string_view name) { return params_.ParamByName(name); }

    // ---- display updates
    void DisableControls() { ++disableCount_; }
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // ---- events
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord;

    // Stops the operation in progress silently (raises EAbort).
    [[noreturn]] static void Abort() { throw EAbort(); }

protected:
    // Fills the dataset when it opens. The base opens on the packet given to SetData, or on an
    // empty table built from FieldDefs; raises "缺少数据提供者或数据包" when there is neither.
    // A subclass fetching from a server calls LoadPacket with what it received.
    virtual void InternalOpen();
    virtual void InternalClose() {}
    // Hooks around the events; a subclass's guard raises EAbort through Abort().
    virtual void DoBeforeOpen() { Fire(BeforeOpen); }
    virtual void DoAfterOpen() { Fire(AfterOpen); }
    virtual void DoBeforeInsert() { Fire(BeforeInsert); }
    virtual void DoBeforeEdit() { Fire(BeforeEdit); }
    virtual void DoBeforeDelete() { Fire(BeforeDelete); }
    virtual void DoBeforeScroll() { Fire(BeforeScroll); }
    virtual void DoAfterScroll() { Fire(AfterScroll); }
    virtual void DoOnNewRecord() { Fire(OnNewRecord); }
    virtual void DoAfterPost() { Fire(AfterPost); }

    bool HasPendingPacket() const { return pendingPacket_ != nullptr; }
    // Installs `packet` as the dataset's structure and records (inside InternalOpen).
    void LoadPacket(TDataPacket packet);
    void Fire(const TDataSetNotifyEvent& event) { if (event) event(*this); }

private:
    friend class TField;
    friend class TDataLink;
    struct Condition;
    struct SortKey;

    const Value& ActiveValue(int field) const;
    Value ActiveOldValue(int field) const;
    void StoreActiveValue(TField& field, Value value, bool notify);
    void CheckEditing(const TField& field) const;
    void BuildFields();
    void ActivateCursor();
    void RebuildView(std::size_t keepRecord);
    bool Accepts(const TRecordData& record) const;
    std::vector<SortKey> ActiveSortKeys() const;
    std::size_t CurrentStorage() const;
    void MoveTo(int viewIndex);
    void CheckBrowseMode();
    bool StartInsert(bool append);
    bool RecordMatches(const TRecordData& record, const std::vector<int>& fields,
                       const std::vector<Value>& values, TLocateOptions options) const;
    void CheckActive() const;
    void CheckWritable() const;
    void DropRecords();
    void Notify(void (TDataLink::*what)());
    void NotifyRecordChanged(TField* field);

    std::string name_;
    TFieldDefs fieldDefs_;
    std::vector<std::unique_ptr<TField>> fields_;
    std::vector<TRecordData> records_;
    std::vector<std::uint32_t> view_;   // storage indexes in cursor order
    std::unique_ptr<TDataPacket> pendingPacket_;
    TDataSetState state_ = dsInactive;
    int cur_ = -1;                      // index into view_, -1 when empty
    bool bof_ = true;
    bool eof_ = true;
    bool readOnly_ = false;
    bool modified_ = false;
    std::vector<Value> buffer_;         // values of the edit or insert in progress
    std::size_t insertBefore_ = 0;      // storage position of an insert in progress
    std::uint64_t changeSeq_ = 0;
    std::vector<TIndexDef> indexDefs_;
    std::string indexName_;
    std::string indexFieldNames_;
    std::string filter_;
    bool filtered_ = false;
    std::vector<Condition> conditions_;
    TParams params_;
    int disableCount_ = 0;
    bool pendingChange_ = false;
    std::vector<TDataLink*> links_;
};

} // namespace kiosk
