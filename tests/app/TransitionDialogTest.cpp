#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/CTransAlphaDlg.h"
#include "app/CTransBlindsDlg.h"
#include "app/CTransCircleDlg.h"
#include "app/CTransClockDlg.h"
#include "app/CTransPolygonDlg.h"
#include "app/CTransSweepDlg.h"
#include "app/CTransWipeDlg.h"
#include "app/TransitionDialogs.h"
#include "model/EffectNames.h"
#include "model/TransitionFactory.h"
#include "model/TransitionSettingCatalog.h"
#include "platform/win/Random.h"
#include "platform/win/ScriptedUiHandler.h"

namespace {

const char* const kTitles[TRANSITION_DRAWN_KINDS] = {
    "Transition Alpha Setting",          "Transition Accordion Setting",
    "Transition Blinds Setting",         "Transition Circle Setting",
    "Transition Clock Setting",          "Transition Cube Fly Setting",
    "Transition Diagonal Sweep Setting", "Transition Door Setting",
    "Transition Flip Setting",           "Transition Fly Setting",
    "Transition Polygon Setting",        "Transition Rotate Setting",
    "Transition Shutter Setting",        "Transition Spin Setting",
    "Transition Sweep Setting",          "Transition Twist Setting",
    "Transition Wipe Setting",           "Transition Zoom Setting",
};

class TransitionDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTransitionDialogs();
        m_ui = std::make_shared<ScriptedUiHandler>();
        m_previous = UiHandler::Install(m_ui);
    }
    void TearDown() override { UiHandler::Install(m_previous); }

    std::shared_ptr<ScriptedUiHandler> m_ui;
    std::shared_ptr<UiHandler> m_previous;
};

} // namespace

TEST_F(TransitionDialogs, EveryKindOpensItsDialogAndOkWithUntouchedControlsKeepsItsParameters) {
    SRand(4);
    for (int32_t kind = 0; kind < TRANSITION_DRAWN_KINDS; ++kind) {
        for (int round = 0; round < 10; ++round) {
            auto setting = MakeTransition(kind, true);
            const int32_t param1 = setting->m_nParam1, param2 = setting->m_nParam2;
            m_ui->QueueDialog([](CDialog&) { return static_cast<INT_PTR>(IDOK); });
            setting->Edit();
            EXPECT_EQ(m_ui->DialogTitles().back(), kTitles[kind]);
            EXPECT_EQ(setting->m_nParam1, param1) << kind;
            EXPECT_EQ(setting->m_nParam2, param2) << kind;
        }
    }
    EXPECT_EQ(m_ui->DialogTitles().size(), static_cast<size_t>(TRANSITION_DRAWN_KINDS * 10));
    // Random has no dialog.
    MakeTransition(TRANSITION_RANDOM, false)->Edit();
    EXPECT_EQ(m_ui->DialogTitles().size(), static_cast<size_t>(TRANSITION_DRAWN_KINDS * 10));
}

// Each dialog opens, with the object's parameters in its controls; OK stores the controls,
// Cancel keeps the object as it was. Width lists show 1..80 at index width - 1, polygon numbers
// 3..9 at index number - 3; the flag buttons "Yes" and "No" stand for 1 and 0. A file may hold
// any value: a control that cannot show it keeps it on OK.
TEST_F(TransitionDialogs, OpenWithTheParametersAndOkStoresTheControls) {
    TransitionCircleSetting circle(false);
    TransitionPolygonSetting polygon(false);
    TransitionClockSetting clock(false);
    TransitionWipeSetting wipe(false);
    TransitionAlphaSetting alpha(false);
    alpha.SetParams(999);
    TransitionBlindSetting cancelled(false), confirmed(false), unshown(false);
    cancelled.SetParams(1, 5);
    confirmed.SetParams(1, 5);
    unshown.SetParams(7, 999);
    TransitionSweepSetting byDefault(false), byRandom(false);
    byDefault.SetParams(3, 77);
    SRand(8);
    const auto drawn = TransitionSweepSetting::GetRandomParams();
    ASSERT_NE(drawn, TransitionSweepSetting::GetDefaultParams());
    auto blinds = [](CDialog& dialog) {
        auto& dlg = dynamic_cast<CTransBlindsDlg&>(dialog);
        EXPECT_EQ(dlg.GetTemplateId(), 255u);
        EXPECT_EQ(dlg.m_Direction.GetCheck(), 1);
        EXPECT_EQ(dlg.m_Direction.GetLabel(1), "Right to left");
        EXPECT_EQ(dlg.m_WindowNumber.GetItemText(dlg.m_WindowNumber.GetCurSel()), "5");
        dlg.m_Direction.SetCheck(0);
        dlg.m_WindowNumber.SetCurSel(6);
    };
    const struct {
        TransitionSetting* setting;
        std::function<void(CDialog&)> change;
        INT_PTR button;
        int32_t param1, param2;
    } cases[] = {
        {&cancelled, blinds, IDCANCEL, 1, 5},
        {&confirmed, blinds, IDOK, 0, 10},
        {&circle, [](CDialog& dialog) {
             auto& dlg = dynamic_cast<CTransCircleDlg&>(dialog);
             EXPECT_EQ(dlg.m_Width.GetCurSel(), 39);
             EXPECT_EQ(dlg.m_Width.GetCount(), 80);
             dlg.m_Width.SetCurSel(0);
             dlg.m_Direction.SetCheck(1);
         }, IDOK, 1, 1},
        {&polygon, [](CDialog& dialog) {
             auto& dlg = dynamic_cast<CTransPolygonDlg&>(dialog);
             EXPECT_EQ(dlg.m_Number.GetCurSel(), 4);
             dlg.m_Number.SetCurSel(0);
             dlg.m_Direction.SetCheck(1);
         }, IDOK, 3, 1},
        {&clock, [](CDialog& dialog) {
             auto& dlg = dynamic_cast<CTransClockDlg&>(dialog);
             EXPECT_EQ(dlg.m_FingerNumber.GetCheck(), 2); // "4 Fingers"
             EXPECT_EQ(dlg.m_Smooth.GetCheck(), 0);       // "Yes"
             dlg.m_Smooth.SetCheck(1);
         }, IDOK, 2, 0},
        {&wipe, [](CDialog& dialog) {
             auto& dlg = dynamic_cast<CTransWipeDlg&>(dialog);
             EXPECT_EQ(dlg.m_Push.GetLabel(dlg.m_Push.GetCheck()), "Yes");
             dlg.m_Push.SetCheck(1);
             dlg.m_Direction.SetCheck(3);
         }, IDOK, 3, 0},
        {&alpha, [](CDialog& dialog) { EXPECT_EQ(dynamic_cast<CTransAlphaDlg&>(dialog).m_Type.GetCheck(), -1); },
         IDOK, 999, 0},
        {&unshown, [](CDialog& dialog) {
             auto& dlg = dynamic_cast<CTransBlindsDlg&>(dialog);
             EXPECT_EQ(dlg.m_WindowNumber.GetCurSel(), -1);
             dlg.m_Direction.SetCheck(1);
         }, IDOK, 1, 999},
        // The Default and Random buttons fill the controls: Random with what the kind draws.
        {&byDefault, [](CDialog& dialog) {
             auto& dlg = dynamic_cast<CTransSweepDlg&>(dialog);
             dlg.OnDefault();
             EXPECT_EQ(dlg.m_Direction.GetCheck(), 0);
             EXPECT_EQ(dlg.m_Width.GetCurSel(), 39);
         }, IDOK, 0, 40},
        {&byRandom, [](CDialog& dialog) {
             SRand(8);
             dynamic_cast<CTransSweepDlg&>(dialog).OnRandom();
         }, IDOK, drawn.first, drawn.second},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(kTitles[c.setting->m_nKind]);
        bool opened = false;
        m_ui->QueueDialog([&](CDialog& dialog) {
            opened = true;
            c.change(dialog);
            return c.button;
        });
        c.setting->Edit();
        ASSERT_TRUE(opened);
        EXPECT_EQ(m_ui->DialogTitles().back(), kTitles[c.setting->m_nKind]);
        EXPECT_EQ(c.setting->m_nParam1, c.param1);
        EXPECT_EQ(c.setting->m_nParam2, c.param2);
    }
}

TEST_F(TransitionDialogs, CatalogueEditsItsPrototypeInPlace) {
    TransitionSettingCatalog catalog;
    m_ui->QueueDialog([](CDialog& dialog) {
        dynamic_cast<CTransAlphaDlg&>(dialog).m_Type.SetCheck(2);
        return static_cast<INT_PTR>(IDOK);
    });
    catalog.EditAt(1);
    catalog.EditAt(19);
    EXPECT_EQ(catalog.GetAt(1)->m_nParam1, 2);
    EXPECT_EQ(m_ui->DialogTitles().size(), 1u);
}
