#include <gtest/gtest.h>

#include <memory>

#include "platform/win/Dialog.h"
#include "platform/win/ScriptedUiHandler.h"

namespace {
// Installs a scripted handler for one test and puts the previous one back.
class ScriptedUiHandlerTest : public ::testing::Test {
protected:
    void SetUp() override { m_previous = UiHandler::Install(ui); }
    void TearDown() override { UiHandler::Install(m_previous); }
    std::shared_ptr<ScriptedUiHandler> ui = std::make_shared<ScriptedUiHandler>();

private:
    std::shared_ptr<UiHandler> m_previous;
};

class ValueDialog : public CDialog {
public:
    ValueDialog(int& stored) : CDialog(253, "Transition Alpha Setting"), m_stored(stored) {}
    BOOL OnInitDialog() override {
        m_control = m_stored;
        ++initCalls;
        return TRUE;
    }
    void OnOK() override {
        m_stored = m_control;
        CDialog::OnOK();
    }
    int m_control = -1;
    int initCalls = 0;

private:
    int& m_stored;
};
} // namespace

TEST_F(ScriptedUiHandlerTest, AnswersAreUsedInOrderThenDefaults) {
    ui->QueueAnswer(IDNO);
    ui->QueueAnswer(IDCANCEL);
    EXPECT_EQ(AppMessageBox("Do you want to save this project?", MB_YESNOCANCEL), IDNO);
    EXPECT_EQ(AppMessageBox("Do you want to save this project?", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(AppMessageBox("Do you want to save this project?", MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(AppMessageBox("Make video files successful!"), IDOK);
    const auto boxes = ui->Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[3].text, "Make video files successful!");

    ui->QueueFiles({"/a.jpg", "/b.png"});
    std::vector<std::string> files;
    EXPECT_TRUE(ui->OpenFiles("Open", "*.jpg", files));
    EXPECT_EQ(files, (std::vector<std::string>{"/a.jpg", "/b.png"}));
    EXPECT_FALSE(ui->OpenFiles("Open", "*.jpg", files));
    EXPECT_TRUE(files.empty());
}

TEST_F(ScriptedUiHandlerTest, DialogScriptsPressOkOrCancel) {
    int stored = 1;
    ui->QueueDialog([](CDialog& d) -> INT_PTR {
        auto& dialog = static_cast<ValueDialog&>(d);
        EXPECT_EQ(dialog.m_control, 1); // the script sees the initialised controls
        dialog.m_control = 2;
        return IDOK;
    });
    ui->QueueDialog([](CDialog& d) -> INT_PTR {
        static_cast<ValueDialog&>(d).m_control = 0;
        return IDCANCEL;
    });
    ui->QueueDialog([](CDialog&) -> INT_PTR {
        // A script may show boxes of its own while the dialog runs.
        EXPECT_EQ(AppMessageBox("inner", MB_OKCANCEL), IDOK);
        return IDOK;
    });

    ValueDialog first(stored);
    EXPECT_EQ(first.DoModal(), IDOK);
    EXPECT_EQ(first.initCalls, 1);
    EXPECT_EQ(stored, 2);
    ValueDialog second(stored);
    EXPECT_EQ(second.DoModal(), IDCANCEL);
    EXPECT_EQ(stored, 2); // Cancel leaves the object unchanged
    ValueDialog third(stored);
    EXPECT_EQ(third.DoModal(), IDOK);
    ValueDialog unscripted(stored);
    EXPECT_EQ(unscripted.DoModal(), IDCANCEL);
    EXPECT_EQ(ui->DialogTitles().size(), 4u);
    EXPECT_EQ(ui->DialogTitles()[0], "Transition Alpha Setting");
    EXPECT_EQ(ui->Boxes().size(), 1u);
}

TEST_F(ScriptedUiHandlerTest, WaitCursorNests) {
    {
        CWaitCursor outer;
        {
            CWaitCursor inner;
            EXPECT_EQ(ui->WaitCursorDepth(), 2);
        }
        EXPECT_EQ(ui->WaitCursorDepth(), 1);
    }
    EXPECT_EQ(ui->WaitCursorDepth(), 0);
}
