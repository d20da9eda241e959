#include "broadcast/attached_messages.h"
#include "core/sub_import.h"
#include "core/submission_document.h"
#include "core/submission_file.h"
#include "test_support.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;

FieldValue Edit(const std::string& name, const std::string& text = "") {
    return {name, false, text, {}};
}
FieldValue Memo(const std::string& name, const LineList& lines = {}) {
    return {name, true, "", lines};
}

// "name=text" or "name=[line|line]".
std::vector<std::string> Values(const SubmissionFileContents& contents) {
    std::vector<std::string> out;
    for (const FieldValue& f : contents.fields) {
        std::string lines;
        for (size_t i = 0; i < f.lines.size(); ++i)
            lines += (i ? "|" : "") + f.lines[i];
        out.push_back(f.name + "=" + (f.multiLine ? "[" + lines + "]" : f.text));
    }
    return out;
}

TEST(SubmissionFileTest, ReadMatchesNamesByPrefixAndStopsAtMessages) {
    testing::TempDir dir;
    testing::WriteBytes(dir / "site.sdf",
                        "$PROFILE$Site\r\nEdit100:hundred\r\nEdit10:ten\r\n"
                        "url:http://x.test:8080/a:b\r\nMemo10:\r\nline one\r\n"
                        "$Memo10 quoted in the text\r\ncut off\r\n$Memo10:\r\n"
                        "$STARTSubj\r\nLate:value\r\n$ENDSubj\r\n$FieldNames$\r\nNone\r\n"
                        "$FieldNames$\r\n");
    LineList file;
    ASSERT_TRUE(LoadLineFile(dir / "site.sdf", file));
    EXPECT_EQ(SubmissionFileProfile(file), "Site");
    // The text already in a control is ignored.
    const auto contents =
        ReadSubmissionFile(file, {Edit("Edit10", "old"), Edit("Edit100"), Edit("url"),
                                  Memo("Memo10", {"old"}), Edit("Late"), Memo("Memo11")});
    EXPECT_THAT(Values(contents),
                ElementsAre("Edit10=:hundred", "Edit100=hundred", "url=http://x.test:8080/a:b",
                            "Memo10=[line one]", "Late=", "Memo11=[]"));
    EXPECT_THAT(contents.attachmentLines, ElementsAre("$STARTSubj", "Late:value", "$ENDSubj"));
    EXPECT_EQ(ReadSubmissionFile(file, {}).attachmentLines, contents.attachmentLines);
    EXPECT_TRUE(ReadSubmissionFile({"$PROFILE$Site", "Edit10:x", "$FieldNames$", "$FieldNames$"},
                                   {Edit("Edit10")})
                    .attachmentLines.empty());
    EXPECT_EQ(SubmissionFileProfile({"$PROFILE$"}), "");
    EXPECT_EQ(SubmissionFileProfile({"Edit10:$PROFILE$x"}), "");
    EXPECT_THAT(SubmissionFileFieldNames(file), ElementsAre("None"));
    EXPECT_TRUE(SubmissionFileFieldNames({"$PROFILE$Site", "$FieldNames$", "url"}).empty());
}

// An older submission file of 28 lines: the message ends at line 14 from the end, the contact
// lines follow by position. Its ordinary import is driven through the window in tests/ui.
TEST(SubImportTest, LastMarkerJustBeforeTheTrailerMeansNoMessage) {
    const LineList lines = SplitLines(
        "SHSUB\nHarbour Kayaks\nhttps://kayaks.example/\none\ntwo\nthree\nGuided tours\n$MEMO2$"
        "\nkayak\n$MEMO3$\n$MEMO4$\n$MEMO7$\nann@kayaks.example\nAnn Berg\nNorway\n9008\nfax"
        "\n\n1 Quay Street\nTromso\nHarbour Kayaks AS\n+47 555 0100\ns1\ns2\ns3");
    std::string problem;
    const auto contents = ReadSubFile(lines, problem);
    ASSERT_TRUE(contents) << problem;
    EXPECT_TRUE(contents->message.empty());
    EXPECT_THAT(contents->sections[0].second, ElementsAre("one", "two", "three", "Guided tours"));
    EXPECT_EQ(contents->singles[2].second, "ann@kayaks.example");
}

TEST(SubImportTest, LongSubjectIsCutAndNumberedWhileTaken) {
    const std::string forty(40, 'a'), b37(37, 'b');
    EXPECT_EQ(ImportSubject({}, "/x/" + forty + ".sub"), forty);
    EXPECT_EQ(ImportSubject({}, "/x/" + b37 + "cdefghij.sub"), b37 + "...");
    EXPECT_EQ(ImportSubject({"$START" + b37 + "..."}, "/x/" + b37 + "cdefghij.sub"),
              std::string(36, 'b') + "1...");
}

// The submission document on real files, its form a list of single-line fields.
struct ScriptedForm : SubmissionEditor, Prompter {
    std::vector<FieldValue> fields;
    std::optional<bool> answer;
    std::string savePath;
    int told = 0;
    std::vector<FieldValue> FieldValues() const override { return fields; }
    void SetFieldValues(const std::vector<FieldValue>& values) override { fields = values; }
    bool SetEntryLines(const std::string&, const LineList&, bool) override { return false; }
    void ClearFields() override { fields.clear(); }
    void AddField(const FieldDefinition& f) override { fields.push_back(Edit(f.autoFill)); }
    std::string ChosenProfile() const override { return "Site"; }
    int ChosenProfileIndex() const override { return 0; }
    int SelectProfile(const std::string&) override { return 0; }
    std::string ChooseSavePath() override { return savePath; }
    void AttachmentsReplaced() override {}
    void KnownFilesChanged() override {}
    bool AskYesNo(MessageIcon, const std::string&) override { return false; }
    void Tell(MessageIcon, const std::string&) override { ++told; }
    std::optional<bool> AskYesNoCancel(MessageIcon, const std::string&) override { return answer; }
};

TEST(SubmissionDocumentTest, CheckSavedSavesOpensAndRefusesAForeignImport) {
    testing::TempDir dir;
    testing::ScopedSettings settings;
    const auto start = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    testing::WriteBytes("filelay.dat",
                        "$STARTSite\r\n1\r\nE|WHOLE|Title|title||\r\n1\r\n$ENDSite\r\n");
    testing::WriteBytes("profs.dat", "\r\n");
    testing::WriteBytes("old.sub", "not a sub file\r\n");
    ScriptedForm form;
    SubmissionDocument document(form, form);
    ASSERT_TRUE(document.ChangeProfile("Site"));
    form.fields.at(0).text = "Kayaks";
    // (answer, path chosen) -> the edits may go; a cancelled save keeps them.
    using Case = std::tuple<std::optional<bool>, std::string, bool>;
    for (const auto& [answer, path, goes] :
         {Case{std::nullopt, "", false}, Case{true, "", false}, Case{true, dir / "a.sdf", true}}) {
        document.MarkChanged();
        form.answer = answer;
        form.savePath = path;
        EXPECT_EQ(document.CheckSaved(), goes);
        EXPECT_EQ(document.fileSaved(), goes);
    }
    EXPECT_EQ(document.knownFiles(), std::vector<std::string>{dir / "a.sdf|a.sdf|"});
    ScriptedForm reopened;
    SubmissionDocument second(reopened, reopened);
    second.OpenFile(dir / "a.sdf");
    EXPECT_EQ(reopened.fields.at(0).text, "Kayaks");
    EXPECT_FALSE(second.Import("old.sub"));
    EXPECT_TRUE(second.fileSaved() && second.fileHasName() && reopened.told == 1);
    std::filesystem::current_path(start);
}

} // namespace
} // namespace siteherald
