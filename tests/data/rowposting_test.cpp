// Posting changed rows: the delta text, the post and its refreshed rows, batches collected and
// committed at once, and folder mode, where a local folder answers instead of a server.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "data/tjsonclientdataset.h"
#include "data/tjsonconnection.h"
#include "stationstub.h"
#include "support/tempfolder.h"

using namespace kiosk;
using kiosk::test::StationStub;

namespace {

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    return "no error";
}

constexpr const char* kTickets =
    R"({"dataSet":[{"id":5,"name":"A","price":1},{"id":7,"name":"B","price":2},{"id":8,"name":"C","price":3}],)"
    R"("dataSet_type":{"id":"Long","name":"String","price":"Double"},"dataSet_typelength":{},"flag":1,"msg":""})";

class RowPosting : public ::testing::Test {
protected:
    RowPosting()
    {
        jcon.SetURLHost(server.BaseURL());
        server.Answer("/KtBusWeb/ticket/query.action", kTickets);
        server.Answer("/KtBusWeb/ticket/save.action", R"({"flag":1,"msg":"saved"})");
    }

    void Open(TjsonClientDataSet& ds, const std::string& prefix = "ticket")
    {
        ds.SetRemoteServer(&jcon);
        ds.SetQueryAddress("ticket/query");
        ds.SetSaveAddress("ticket/save");
        ds.SetUpdateDataSet(prefix);
        ds.Open();
    }

    // Changes in this order: record 5 renamed, record 9 added (no price), record 7 deleted.
    static void Change(TDataSet& ds)
    {
        ds.Locate("id", Value(5));
        ds.Edit();
        ds.FieldByName("name").SetAsString("Z&?");
        ds.Post();
        ds.Append();
        ds.FieldByName("id").SetAsInteger(9);
        ds.FieldByName("name").SetAsString("N");
        ds.Post();
        ds.Locate("id", Value(7));
        ds.Delete();
    }

    StationStub server;
    TjsonConnection jcon;
};

} // namespace

TEST_F(RowPosting, applyUpdatesPostsTheDeltaTextWithTheInputsAndMergesTheChangeLog)
{
    TjsonClientDataSet ds("jcdsTickets");
    Open(ds);
    ds.Params().CreateParam(ftString, "ip", ptInput).SetAsString("10.0.0.5");
    ds.Params().CreateParam(ftString, "msg", ptOutput);
    Change(ds);
    EXPECT_EQ(ds.ApplyUpdates(0), 0);

    const auto req = server.Last();
    EXPECT_EQ(req.path, "/KtBusWeb/ticket/save.action");
    EXPECT_EQ(req.body,
              "&ticket[0].opertype=8&ticket[0].id=5&ticket[0].name=Z&amp;%3F&ticket[0].price=1"
              "&ticket[1].opertype=4&ticket[1].id=9&ticket[1].name=N"
              "&ticket[2].opertype=2&ticket[2].id=7"
              "&ip=10.0.0.5");
    EXPECT_EQ(ds.ParamByName("msg").AsString(), "saved");
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(ds.CommitProvider(), ds.ProviderName());
    EXPECT_TRUE(ds.FieldByName("id").ProviderFlags() & pfInKey);
    EXPECT_EQ(jcon.State(), csDisconnect);
}

TEST_F(RowPosting, checkChangeAlsoPostsTheOldValuesOfAChangedRow)
{
    TjsonClientDataSet ds("jcdsTickets");
    Open(ds, "t");
    ds.SetCheckChange(true);
    ds.Locate("id", Value(8));
    ds.Edit();
    ds.FieldByName("price").SetAsFloat(3.5);
    ds.Post();
    ds.ApplyUpdates(0);
    EXPECT_EQ(server.Last().body,
              "&t[0].opertype=1&t[0].id=8&t[0].name=C&t[0].price=3"
              "&t[0].opertype=8&t[0].id=8&t[0].name=C&t[0].price=3.5");
}

TEST_F(RowPosting, fieldsOutsideTheUpdateAreLeftOutOfTheDelta)
{
    TjsonClientDataSet ds("jcdsTickets");
    Open(ds, "");
    ds.FieldByName("price").SetProviderFlags(pfInUpdate);   // not in where: dropped
    ds.FieldByName("name").SetProviderFlags(pfInWhere);     // neither updated nor key: dropped
    ds.Locate("id", Value(8));
    ds.Edit();
    ds.FieldByName("name").SetAsString("x");
    ds.FieldByName("price").SetAsFloat(9);
    ds.Post();
    ds.ApplyUpdates(0);
    EXPECT_EQ(server.Last().body, "&[0].opertype=8&[0].id=8");
}

TEST_F(RowPosting, failedPostRaisesTheConnectionsTextAndKeepsTheChanges)
{
    TjsonClientDataSet ds("jcdsTickets");
    Open(ds);
    Change(ds);
    server.On("/KtBusWeb/ticket/save.action", [](const httplib::Request&, httplib::Response& res) {
        res.status = 500;
        res.set_content("<pre>constraint</pre>", "text/html");
    });
    EXPECT_EQ(ErrorOf([&] { ds.ApplyUpdates(0); }), "服务器返回出错：httpStatus:500 Internal Server Error\rconstraint");
    EXPECT_EQ(ds.ChangeCount(), 3);
    EXPECT_EQ(jcon.State(), csDisconnect);
    EXPECT_EQ(jcon.XmlHttp(), nullptr);
    ds.SetSaveAddress("");
    EXPECT_EQ(ErrorOf([&] { ds.ApplyUpdates(0); }), "jcdsTickets保存地址未设置！");
}

TEST_F(RowPosting, refreshedRowsOfTheAnswerReplaceTheValues)
{
    TjsonClientDataSet ds("jcdsTickets");
    Open(ds);
    ds.SetrefreshAfterApplyUpdates(true);
    server.Answer("/KtBusWeb/ticket/save.action",
                  R"({"dataSet":[{"id":5,"name":"server name","price":10}],"dataSet_type":{"id":"Long","name":"String","price":"Double"},)"
                  R"("dataSet_typelength":{}})");
    ds.Locate("id", Value(5));
    ds.Edit();
    ds.FieldByName("name").SetAsString("mine");
    ds.Post();
    ds.Last();
    ds.ApplyUpdates(0);
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(ds.FieldByName("id").AsInteger(), 8) << "the cursor stays where it was";
    ds.Locate("id", Value(5));
    EXPECT_EQ(ds.FieldByName("name").AsString(), "server name");
    EXPECT_EQ(ds.FieldByName("price").AsFloat(), 10);

    server.Answer("/KtBusWeb/ticket/save.action", R"({"dataSet":[]})");
    ds.Edit();
    ds.FieldByName("name").SetAsString("again");
    ds.Post();
    EXPECT_EQ(ErrorOf([&] { ds.ApplyUpdates(0); }), "返回值中不存在“dataSet_type”参数");
}

TEST_F(RowPosting, refreshDataNeedsAKeyField)
{
    TjsonClientDataSet ds("jcdsTickets");
    Open(ds);
    EXPECT_EQ(ErrorOf([&] { ds.RefreshData(ds.Data()); }), "未定义主键，不能刷新数据！");
}

TEST_F(RowPosting, batchCollectsTheDeltasAndCommitsThemAtOnce)
{
    TjsonClientDataSet tickets("tickets"), seats("seats");
    Open(tickets, "ticket");
    Open(seats, "seat");
    Change(tickets);
    seats.Locate("id", Value(8));
    seats.Delete();
    jcon.SetBatchUpdates(true);
    jcon.SetURLWrite("batch/commit");
    server.Answer("/KtBusWeb/batch/commit.action", R"({"flag":1})");
    std::vector<std::string> events;
    jcon.BeforeCommitUpdates = [&](TjsonConnection& c) { events.push_back("before:" + c.DeltaJSON()); };
    jcon.AfterCommitUpdates = [&](TjsonConnection& c) { events.push_back("after:" + c.DeltaJSON()); };
    const auto before = server.Requests().size();
    jcon.ApplyUpdates();

    ASSERT_EQ(server.Requests().size(), before + 1) << "one request for the whole batch";
    const std::string expected = "&ticket[0].opertype=8&ticket[0].id=5&ticket[0].name=Z&amp;%3F&ticket[0].price=1"
                                 "&ticket[1].opertype=4&ticket[1].id=9&ticket[1].name=N"
                                 "&ticket[2].opertype=2&ticket[2].id=7"
                                 "&seat[0].opertype=2&seat[0].id=8";
    EXPECT_EQ(server.Last().path, "/KtBusWeb/batch/commit.action");
    EXPECT_EQ(server.Last().body, expected);
    EXPECT_EQ(events, (std::vector<std::string>{"before:" + expected, "after:"}));
    EXPECT_EQ(tickets.ChangeCount(), 0);
    EXPECT_EQ(seats.ChangeCount(), 0);
    EXPECT_EQ(jcon.DeltaJSON(), "");
}

TEST_F(RowPosting, failedBatchCommitRestoresTheCollectedText)
{
    TjsonClientDataSet tickets("tickets");
    Open(tickets);
    jcon.SetBatchUpdates(true);
    jcon.SetURLWrite("batch/commit");
    jcon.AddDeltaJSON("&earlier=1");
    Change(tickets);
    EXPECT_EQ(ErrorOf([&] { jcon.ApplyUpdates(); }).rfind("服务器返回出错：httpStatus:404", 0), 0u);
    EXPECT_EQ(jcon.DeltaJSON(), "&earlier=1");
    EXPECT_EQ(tickets.ChangeCount(), 3) << "nothing was committed";
    jcon.AddDeltaJSON("");
    EXPECT_EQ(jcon.DeltaJSON(), "");
}

TEST_F(RowPosting, connectionCancelUpdatesUndoesAndQueriesAgain)
{
    TjsonClientDataSet tickets("tickets");
    Open(tickets);
    Change(tickets);
    const auto before = server.Requests().size();
    jcon.CancelUpdates();
    EXPECT_EQ(tickets.ChangeCount(), 0);
    EXPECT_EQ(tickets.RecordCount(), 3);
    EXPECT_EQ(server.Requests().size(), before + 1);
}

class FolderMode : public ::testing::Test {
protected:
    FolderMode()
    {
        std::filesystem::create_directories(folder.path() / "read.action");
        std::filesystem::create_directories(folder.path() / "read");
        std::filesystem::create_directories(folder.path() / "write");
        jcon.SetURLHost(folder.str());
        jcon.SetURLRead("read");
        jcon.SetURLWrite("write");
        ds.SetRemoteServer(&jcon);
        ds.SetProviderName("plans");
        ds.SetQueryAddress("checkticket/qryScheduleplan");
        ds.SetSaveAddress("checkticket/save");
        ds.Params().CreateParam(ftString, "code", ptInput).SetAsString("K1");
    }
    test::TempFolder folder;
    TjsonConnection jcon;
    TjsonClientDataSet ds{"jscdPlans"};
};

TEST_F(FolderMode, queryAnswersFromTheFileNamedByProviderAndBody)
{
    ASSERT_FALSE(jcon.WebMode());
    folder.Write("read.action/plans&code=K1", R"({"dataSet":[{"code":"K1"}],"dataSet_type":{"code":"String"},"dataSet_typelength":{}})");
    ds.Open();
    EXPECT_EQ(ds.FieldByName("code").AsString(), "K1");
}

TEST_F(FolderMode, requestDefineMapsABodyToItsAnswerFile)
{
    folder.Write("read.action/REQUEST_DEFINE", "");
    folder.Write("read.action/REQUEST_DEFINE.txt",
                 R"({"Cols":[{"fieldName":"CONTENT","fieldType":"String","fieldSize":200},{"fieldName":"REQUEST_CODE","fieldType":"String","fieldSize":20}],)"
                 R"("Data":[{"CONTENT":"&code=K1","REQUEST_CODE":"7"}]})");
    folder.Write("read.action/plans&=7", R"({"dataSet":[{"n":1},{"n":2}],"dataSet_type":{"n":"int"},"dataSet_typelength":{}})");
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 2);
}

TEST_F(FolderMode, missingAnswerFileAndUnsafeNamesFail)
{
    EXPECT_EQ(ErrorOf([&] { ds.Open(); }).rfind("找不到本地数据文件：", 0), 0u);
    ds.ParamByName("code").SetAsString("../../etc/passwd");
    EXPECT_EQ(ErrorOf([&] { ds.Open(); }), "请求内容不能用作本地数据文件名");
    EXPECT_EQ(ErrorOf([&] { ds.Execute(); }), "jscdPlans：本地文件模式下不能执行保存请求！");
    EXPECT_EQ(jcon.State(), csDisconnect);
}

TEST_F(FolderMode, postedRowsAreWrittenAndTheAnswerPacketRefreshesThem)
{
    folder.Write("read.action/plans&code=K1",
                 R"({"dataSet":[{"id":1,"code":"K1","seats":40}],"dataSet_type":{"id":"Long","code":"String","seats":"int"},"dataSet_typelength":{}})");
    folder.Write("write/plans_Back.XML",
                 R"(<?xml version="1.0" encoding="UTF-8"?><DATAPACKET Version="2.0"><METADATA><FIELDS>)"
                 R"(<FIELD attrname="id" fieldtype="i8" /><FIELD attrname="code" fieldtype="string" WIDTH="20" />)"
                 R"(<FIELD attrname="seats" fieldtype="Integer" /></FIELDS><PARAMS/></METADATA>)"
                 R"(<ROWDATA><ROW  id="1" code="K1 &amp; &#x4E1C;" seats="45" /></ROWDATA></DATAPACKET>)");
    jcon.SetCreateRequestFile(true);
    ds.Open();
    ds.Edit();
    ds.FieldByName("seats").SetAsInteger(41);
    ds.Post();
    ds.ApplyUpdates(0);
    EXPECT_EQ(folder.Read("write/plans_Save.XML"), "&[0].opertype=8&[0].id=1&[0].code=K1&[0].seats=41");
    EXPECT_EQ(folder.Read("read/plans_.txt"), "&code=K1");
    EXPECT_EQ(ds.FieldByName("seats").AsInteger(), 45);
    EXPECT_EQ(ds.FieldByName("code").AsString(), "K1 & 东");
    EXPECT_EQ(ds.ChangeCount(), 0);
}
