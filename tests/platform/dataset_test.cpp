// The in-memory dataset: cursor, editing and change log, indexes, filter, locate, guards,
// parameters, field conversions and the notifications of bound views.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dataset.h"

using namespace kiosk;

namespace {

// A ticket table of three rows: id, code (text), price (float), checked (Boolean).
class TicketTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        ds.FieldDefs().Add("id", ftLargeint);
        ds.FieldDefs().Add("code", ftWideString, 300);
        ds.FieldDefs().Add("price", ftFloat);
        ds.FieldDefs().Add("checked", ftBoolean);
        ds.CreateDataSet();
        AddRow(5, "b", 35.5, false);
        AddRow(7, "A", 12, true);
        AddRow(9, "c", 20, false);
        ds.MergeChangeLog();
        ds.First();
    }
    void AddRow(std::int64_t id, const std::string& code, double price, bool checked)
    {
        ASSERT_TRUE(ds.Append());
        ds.FieldByName("id").SetAsLargeInt(id);
        ds.FieldByName("code").SetAsString(code);
        ds.FieldByName("price").SetAsFloat(price);
        ds.FieldByName("checked").SetAsBoolean(checked);
        ASSERT_TRUE(ds.Post());
    }
    std::vector<std::int64_t> IdsInOrder()
    {
        std::vector<std::int64_t> ids;
        for (ds.First(); !ds.Eof(); ds.Next()) ids.push_back(ds.FieldByName("id").AsLargeInt());
        return ids;
    }
    TDataSet ds{"cdsTickets"};
};

using Ids = std::vector<std::int64_t>;

} // namespace

TEST_F(TicketTable, walksRecordsWithEofAndBofLikeTheScreensLoops)
{
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(IdsInOrder(), (Ids{5, 7, 9}));
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 3);
    ds.Prior();
    EXPECT_EQ(ds.RecNo(), 2);
    ds.Last();
    EXPECT_TRUE(ds.Eof());
    ds.SetRecNo(1);
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 5) << "field names are case-insensitive";
}

TEST(DataSet, emptyDatasetIsAtBothEndsAndReadsNull)
{
    TDataSet ds;
    ds.FieldDefs().Add("name", ftWideString, 300);
    ds.CreateDataSet();
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_TRUE(ds.FieldByName("name").IsNull());
    EXPECT_EQ(ds.FieldByName("name").AsString(), "");
    ds.Next();
    EXPECT_TRUE(ds.Eof());
}

TEST(DataSet, openWithoutFieldsOrDataFails)
{
    TDataSet ds("cds");
    EXPECT_THROW(ds.Open(), Exception);
    EXPECT_FALSE(ds.Active());
}

TEST_F(TicketTable, missingFieldRaisesItsName)
{
    try {
        ds.FieldByName("nosuch");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "找不到字段“nosuch”");
    }
    EXPECT_EQ(ds.FindField("nosuch"), nullptr);
}

TEST_F(TicketTable, fieldsConvertOnRead)
{
    ds.SetRecNo(1);
    EXPECT_EQ(ds.FieldByName("price").AsString(), "35.5");
    EXPECT_EQ(ds.FieldByName("price").AsInteger(), 36);
    EXPECT_EQ(ds.FieldByName("id").AsString(), "5");
    EXPECT_DOUBLE_EQ(ds.FieldByName("id").AsFloat(), 5.0);
    EXPECT_EQ(ds.FieldByName("checked").AsString(), "False");
    EXPECT_FALSE(ds.FieldByName("checked").AsBoolean());
    EXPECT_THROW(ds.FieldByName("code").AsInteger(), Exception);
}

TEST_F(TicketTable, settingValuesOutsideEditingFails)
{
    EXPECT_THROW(ds.FieldByName("code").SetAsString("x"), Exception);
    ds.Edit();
    EXPECT_THROW(ds.FieldByName("id").SetAsString("abc"), Exception);
    ds.FieldByName("id").SetAsString("12");
    EXPECT_EQ(ds.FieldByName("id").AsVariant().kind(), Value::Kind::Integer);
    ds.FieldByName("code").SetReadOnly(true);
    EXPECT_THROW(ds.FieldByName("code").SetAsString("x"), Exception);
}

TEST(DataSet, integerFieldRefusesValuesOutOfItsRange)
{
    TDataSet ds;
    ds.FieldDefs().Add("n", ftInteger);
    ds.CreateDataSet();
    ds.Append();
    EXPECT_THROW(ds.FieldByName("n").SetAsLargeInt(std::int64_t(1) << 40), Exception);
    ds.FieldByName("n").SetAsInteger(-7);
    EXPECT_EQ(ds.FieldByName("n").AsInteger(), -7);
}

TEST(DataSet, requiredFieldMustHaveAValueOnPost)
{
    TDataSet ds;
    ds.FieldDefs().Add("code", ftString, 10, true);
    ds.CreateDataSet();
    ds.Append();
    try {
        ds.Post();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "字段“code”必须有值");
    }
    EXPECT_EQ(ds.State(), dsInsert);
}

TEST_F(TicketTable, changeLogKeepsOldValuesAndStatus)
{
    EXPECT_EQ(ds.ChangeCount(), 0);
    ds.SetRecNo(2);
    ds.Edit();
    ds.FieldByName("code").SetAsString("Z");
    EXPECT_EQ(ds.FieldByName("code").OldValue(), Value("A"));
    ds.Post();
    EXPECT_EQ(ds.UpdateStatus(), usModified);
    EXPECT_EQ(ds.FieldByName("code").OldValue(), Value("A"));
    EXPECT_EQ(ds.FieldByName("code").AsString(), "Z");

    ds.Append();
    ds.FieldByName("id").SetAsInteger(11);
    ds.Post();
    EXPECT_EQ(ds.UpdateStatus(), usInserted);

    ds.SetRecNo(1);
    ds.Delete();
    EXPECT_EQ(ds.ChangeCount(), 3);
    EXPECT_EQ(IdsInOrder(), (Ids{7, 9, 11}));

    const TDelta delta = ds.Delta();
    ASSERT_EQ(delta.records.size(), 4u);
    EXPECT_EQ(delta.records[0].status, usUnmodified);
    EXPECT_EQ(delta.records[0].values[1], Value("A"));
    EXPECT_EQ(delta.records[1].status, usModified);
    EXPECT_TRUE(delta.records[1].assigned[1]);
    EXPECT_FALSE(delta.records[1].assigned[0]);
    EXPECT_EQ(delta.records[2].status, usInserted);
    EXPECT_EQ(delta.records[3].status, usDeleted);
    EXPECT_EQ(delta.records[3].values[0], Value(std::int64_t(5)));

    ds.CancelUpdates();
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(IdsInOrder(), (Ids{5, 7, 9}));
    ds.SetRecNo(2);
    EXPECT_EQ(ds.FieldByName("code").AsString(), "A");
}

// A record keeps no nulls after its last value; every way of reading, editing and logging it
// still sees one value per field.
TEST_F(TicketTable, recordsOfNullsReadEditAndLogLikeAnyOther)
{
    ds.MergeChangeLog();
    ds.Append();
    ds.Post();  // all four fields null
    ds.Append();
    ds.FieldByName("id").SetAsLargeInt(3);
    ds.Post();  // only the first field set
    EXPECT_EQ(ds.RecordCount(), 5);
    EXPECT_TRUE(ds.FieldByName("checked").IsNull());
    EXPECT_TRUE(ds.ValueAt(3, 2).IsNull());
    EXPECT_TRUE(ds.Locate("id;code", std::vector<Value>{Value(std::int64_t(3)), Value()}));
    ds.SetIndexFieldNames("code");
    ds.First();
    EXPECT_TRUE(ds.FieldByName("code").IsNull());  // nulls sort first

    TDelta delta = ds.Delta();
    ASSERT_EQ(delta.records.size(), 2u);
    EXPECT_EQ(delta.records[0].values.size(), 4u);
    EXPECT_EQ(delta.records[1].values, (std::vector<Value>{Value(std::int64_t(3)), Value(), Value(), Value()}));

    ds.SetIndexFieldNames("");
    ds.MergeChangeLog();
    ds.SetRecNo(4);
    ds.Edit();
    EXPECT_TRUE(ds.FieldByName("price").IsNull());
    ds.Post();  // nothing changed
    EXPECT_EQ(ds.UpdateStatus(), usUnmodified);
    ds.Edit();
    ds.FieldByName("price").SetAsFloat(1.5);
    ds.Post();
    EXPECT_EQ(ds.UpdateStatus(), usModified);
    EXPECT_TRUE(ds.FieldByName("price").OldValue().IsNull());
    delta = ds.Delta();
    ASSERT_EQ(delta.records.size(), 2u);
    EXPECT_EQ(delta.records[0].values, std::vector<Value>(4));
    EXPECT_TRUE(delta.records[1].assigned[2]);
    EXPECT_FALSE(delta.records[1].assigned[0]);
    ds.CancelUpdates();
    ds.SetRecNo(4);
    EXPECT_TRUE(ds.FieldByName("price").IsNull());
    EXPECT_EQ(ds.ChangeCount(), 0);
}

TEST_F(TicketTable, mergeChangeLogMakesChangesTheBase)
{
    ds.Edit();
    ds.FieldByName("price").SetAsFloat(1);
    ds.Post();
    ds.Last();
    ds.Delete();
    ds.MergeChangeLog();
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(IdsInOrder(), (Ids{5, 7}));
    ds.First();
    EXPECT_EQ(ds.UpdateStatus(), usUnmodified);
    EXPECT_EQ(ds.FieldByName("price").OldValue(), Value(1.0));
    ds.CancelUpdates();
    EXPECT_EQ(ds.FieldByName("price").AsFloat(), 1.0);
}

TEST_F(TicketTable, editWithoutChangeLeavesRecordUnmodified)
{
    ds.Edit();
    ds.Post();
    EXPECT_EQ(ds.ChangeCount(), 0);
}

TEST_F(TicketTable, deletingAnInsertedRecordLeavesNoTrace)
{
    ds.Append();
    ds.FieldByName("id").SetAsInteger(11);
    ds.Post();
    ds.Delete();
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(IdsInOrder(), (Ids{5, 7, 9}));
}

TEST_F(TicketTable, insertGoesBeforeTheCurrentRecordAndAppendAtTheEnd)
{
    ds.SetRecNo(2);
    ds.Insert();
    ds.FieldByName("id").SetAsInteger(6);
    ds.Post();
    EXPECT_EQ(ds.RecNo(), 2);
    ds.Append();
    ds.FieldByName("id").SetAsInteger(10);
    ds.Post();
    EXPECT_EQ(IdsInOrder(), (Ids{5, 6, 7, 9, 10}));
}

TEST_F(TicketTable, scrollingPostsAModifiedEditAndCancelsAnUntouchedInsert)
{
    ds.Edit();
    ds.FieldByName("code").SetAsString("q");
    ds.Next();
    EXPECT_EQ(ds.State(), dsBrowse);
    ds.First();
    EXPECT_EQ(ds.FieldByName("code").AsString(), "q");
    ds.Append();
    ds.First();
    EXPECT_EQ(ds.RecordCount(), 3);
}

TEST_F(TicketTable, guardsStopOperationsSilently)
{
    ds.BeforeInsert = [](TDataSet&) { TDataSet::Abort(); };
    ds.BeforeEdit = [](TDataSet&) { TDataSet::Abort(); };
    ds.BeforeDelete = [](TDataSet&) { TDataSet::Abort(); };
    EXPECT_FALSE(ds.Append());
    EXPECT_FALSE(ds.Insert());
    EXPECT_FALSE(ds.Edit());
    EXPECT_FALSE(ds.Delete());
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 3);
}

TEST_F(TicketTable, eventsFireAroundScrollsNewRecordsAndPosts)
{
    std::vector<std::string> log;
    ds.BeforeScroll = [&](TDataSet& d) { log.push_back("before" + std::to_string(d.RecNo())); };
    ds.AfterScroll = [&](TDataSet& d) { log.push_back("after" + std::to_string(d.RecNo())); };
    ds.OnNewRecord = [&](TDataSet& d) {
        log.push_back("new");
        d.FieldByName("code").SetAsString("default");
    };
    ds.AfterPost = [&](TDataSet&) { log.push_back("post"); };
    ds.Next();
    ds.Append();
    EXPECT_EQ(ds.FieldByName("code").AsString(), "default");
    ds.Post();
    EXPECT_EQ(log, (std::vector<std::string>{"before1", "after2", "before2", "new", "after0", "post"}));
}

TEST_F(TicketTable, openFiresAfterOpenAndAfterScrollOnTheFirstRecord)
{
    TDataPacket packet = ds.Data();
    TDataSet other;
    std::vector<std::string> log;
    other.AfterOpen = [&](TDataSet&) { log.push_back("open"); };
    other.AfterScroll = [&](TDataSet& d) { log.push_back("scroll" + d.FieldByName("id").AsString()); };
    other.SetData(std::move(packet));
    EXPECT_EQ(log, (std::vector<std::string>{"open", "scroll5"}));
}

TEST_F(TicketTable, namedIndexesReorderCaseInsensitivelyBothWays)
{
    ds.AddIndex("code", "code", ixCaseInsensitive);
    ds.SetIndexName("code");
    EXPECT_EQ(IdsInOrder(), (Ids{7, 5, 9})) << "A, b, c";
    ds.DeleteIndex("code");
    ds.AddIndex("code", "code", ixCaseInsensitive | ixDescending);
    ds.SetIndexName("code");
    EXPECT_EQ(IdsInOrder(), (Ids{9, 5, 7}));
    ds.SetIndexFieldNames("code");
    EXPECT_EQ(IdsInOrder(), (Ids{7, 5, 9})) << "case-sensitive: upper-case letters first";
    ds.SetIndexFieldNames("price");
    EXPECT_EQ(IdsInOrder(), (Ids{7, 9, 5}));
    ds.SetIndexFieldNames("");
    EXPECT_EQ(IdsInOrder(), (Ids{5, 7, 9}));
}

TEST_F(TicketTable, indexKeepsTheCurrentRecordAndPlacesNewOnes)
{
    ds.SetRecNo(3);   // id 9, price 20
    ds.SetIndexFieldNames("price");
    EXPECT_EQ(ds.FieldByName("id").AsInteger(), 9);
    EXPECT_EQ(ds.RecNo(), 2);
    ds.Append();
    ds.FieldByName("id").SetAsInteger(1);
    ds.FieldByName("price").SetAsFloat(15);
    ds.Post();
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(IdsInOrder(), (Ids{7, 1, 9, 5}));
}

TEST_F(TicketTable, unknownIndexIsRefused)
{
    EXPECT_THROW(ds.SetIndexName("nosuch"), Exception);
    EXPECT_THROW(ds.DeleteIndex("nosuch"), Exception);
    ds.AddIndex("i", "code");
    EXPECT_THROW(ds.AddIndex("I", "code"), Exception);
}

struct FilterCase {
    const char* expression;
    std::vector<std::int64_t> ids;
};

class FilterExpression : public TicketTable, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FilterExpression, keepsTheMatchingRecords)
{
    ds.SetFilter(GetParam().expression);
    ds.SetFiltered(true);
    EXPECT_EQ(IdsInOrder(), GetParam().ids);
    ds.SetFiltered(false);
    EXPECT_EQ(ds.RecordCount(), 3);
}

INSTANTIATE_TEST_SUITE_P(DataSet, FilterExpression,
                         ::testing::Values(FilterCase{"code='b'", {5}}, FilterCase{"id=7", {7}},
                                           FilterCase{"code = 'a'", {}}, FilterCase{"price=20 AND code='c'", {9}},
                                           FilterCase{"price=20 and code='b'", {}}, FilterCase{"checked=1", {7}},
                                           FilterCase{"  ", {5, 7, 9}}));

TEST_F(TicketTable, filterTextWithQuoteAndBadExpressions)
{
    ds.SetRecNo(1);
    ds.Edit();
    ds.FieldByName("code").SetAsString("it's");
    ds.Post();
    ds.SetFilter("code='it''s'");
    ds.SetFiltered(true);
    EXPECT_EQ(IdsInOrder(), (Ids{5}));
    for (const char* bad : {"code", "code='x", "code=", "code='x' or id=1", "=5", "code='x' andid=1"})
        EXPECT_THROW(ds.SetFilter(bad), Exception) << bad;
    EXPECT_THROW(ds.SetFilter("nosuch=1"), Exception);
}

TEST_F(TicketTable, locateFindsByTypeAwareComparison)
{
    EXPECT_TRUE(ds.Locate("id", Value("9")));
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_FALSE(ds.Locate("code", Value("a")));
    EXPECT_EQ(ds.RecNo(), 3) << "a failed locate stays";
    EXPECT_TRUE(ds.Locate("code", Value("a"), loCaseInsensitive));
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_TRUE(ds.Locate("id;code", std::vector<Value>{Value(5), Value("b")}));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_FALSE(ds.Locate("id", Value("x")));
    EXPECT_THROW(ds.Locate("id;code", Value(5)), Exception);
}

TEST_F(TicketTable, snapshotIsAnIndependentCopyWithPendingChanges)
{
    ds.Edit();
    ds.FieldByName("code").SetAsString("new");
    ds.Post();
    TDataSet copy;
    copy.SetData(ds.Data());
    EXPECT_EQ(copy.RecordCount(), 3);
    EXPECT_EQ(copy.ChangeCount(), 1);
    EXPECT_EQ(copy.FieldByName("code").AsString(), "new");
    copy.Edit();
    copy.FieldByName("code").SetAsString("other");
    copy.Post();
    EXPECT_EQ(ds.FieldByName("code").AsString(), "new");
}

TEST_F(TicketTable, closeDropsRecordsButKeepsDefinitions)
{
    ds.Close();
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_EQ(ds.FieldDefs().Count(), 4);
    ds.Open();
    EXPECT_TRUE(ds.IsEmpty());
}

namespace {

struct RecordingLink : TDataLink {
    std::vector<std::string> log;
    void ActiveChanged() override { log.push_back("active"); }
    void DataSetChanged() override { log.push_back("changed"); }
    void DataSetScrolled() override { log.push_back("scrolled"); }
    void RecordChanged(TField* f) override { log.push_back("record:" + (f ? f->FieldName() : std::string())); }
    void EditingChanged() override { log.push_back("editing"); }
};

} // namespace

TEST_F(TicketTable, viewsAreToldOfChangesAndHeldBackWhileControlsAreDisabled)
{
    RecordingLink link;
    link.SetDataSet(&ds);
    ds.Next();
    ds.Edit();
    ds.FieldByName("code").SetAsString("x");
    ds.Post();
    EXPECT_EQ(link.log, (std::vector<std::string>{"scrolled", "editing", "record:code", "changed"}));
    link.log.clear();
    ds.DisableControls();
    ds.DisableControls();
    for (ds.First(); !ds.Eof(); ds.Next()) {}
    ds.EnableControls();
    EXPECT_TRUE(link.log.empty());
    EXPECT_TRUE(ds.ControlsDisabled());
    ds.EnableControls();
    EXPECT_EQ(link.log, (std::vector<std::string>{"changed"}));
}

TEST(DataSet, linkOutlivingItsDatasetIsDetached)
{
    RecordingLink link;
    {
        TDataSet ds;
        link.SetDataSet(&ds);
    }
    EXPECT_EQ(link.DataSet(), nullptr);
}

TEST(DataSet, dateFieldsKeepTheDateAndTextFormsFollowTheType)
{
    TDataSet ds;
    ds.FieldDefs().Add("d", ftDate);
    ds.FieldDefs().Add("t", ftDateTime);
    ds.CreateDataSet();
    ds.Append();
    ds.FieldByName("d").SetAsString("2013-05-01 08:30:00");
    ds.FieldByName("t").SetAsString("2013-05-01T08:30:00");
    ds.Post();
    EXPECT_EQ(ds.FieldByName("d").AsString(), "2013-05-01");
    EXPECT_EQ(ds.FieldByName("t").AsString(), "2013-05-01 08:30:00");
    EXPECT_EQ(ds.FieldByName("t").AsDateTime(), DateTime::FromParts(2013, 5, 1, 8, 30));
}

TEST(Params, findByNameCaseInsensitivelyAndConvertOnRead)
{
    TParams params;
    params.CreateParam(ftBCD, "flag", ptOutput);
    params.CreateParam(ftString, "msg", ptOutput);
    params.ParamByName("FLAG").SetAsVariant(Value(1.0));
    EXPECT_EQ(params.ParamByName("flag").AsInteger(), 1);
    EXPECT_EQ(params.ParamByName("flag").AsString(), "1");
    params.ParamByName("msg").SetAsVariant(Value("12"));
    EXPECT_EQ(params.ParamByName("msg").AsLargeInt(), 12);
    EXPECT_TRUE(params.ParamByName("msg").AsVariant().kind() == Value::Kind::Text);
    try {
        params.ParamByName("nosuch");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "找不到参数“nosuch”");
    }
    TParams copy(params);
    copy.ParamByName("msg").Clear();
    EXPECT_FALSE(params.ParamByName("msg").IsNull());
    EXPECT_TRUE(copy.ParamByName("msg").IsNull());
}

TEST(Params, typedSetterGivesAnUntypedParameterItsType)
{
    TParams params;
    TParam& p = params.CreateParam(ftUnknown, "departdate", ptInput);
    p.SetAsString("2013-05-01");
    EXPECT_EQ(p.DataType(), ftString);
    TParam& q = params.CreateParam(ftBCD, "id", ptInput);
    q.SetAsInteger(5);
    EXPECT_EQ(q.DataType(), ftBCD);
    EXPECT_EQ(q.AsString(), "5");
    q.SetAsBoolean(false);
    EXPECT_EQ(q.AsString(), "False");
}
