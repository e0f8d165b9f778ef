#include <gmock/gmock.h>

#include <cstring>
#include <set>

#include "model/CCropData.h"
#include "model/CImageOverlayData.h"
#include "model/CTextOverlayData.h"
#include "model/Log.h"
#include "model/TransitionFactory.h"
#include "model/XmlDoc.h"
#include "tests/model/ProjectTestEnv.h"

class ProjectFileTest : public ProjectTestEnv {
protected:
    void SetUp() override {
        ProjectTestEnv::SetUp();
        m_hasAudioLibrary = InstallAudioLibrary();
        m_a = MakePicture("a.bmp", 200);
        m_b = MakePicture("b.bmp", 100);
        m_c = MakePicture("c.bmp", 50);
        REQUIRE_PICTURE(!m_a.empty() && !m_b.empty() && !m_c.empty());
    }

    // Two slideshows with music, three pictures with every kind of edit record, own settings
    // and adjustment values, and a turned copy.
    void BuildProject() {
        ASSERT_EQ(g_Project.AddSlideshow("Holiday <&> \"1\""), 0);
        CSlideShow& show = *g_Project.GetCurrentSlideshow();
        for (const std::string& p : {m_a, m_b, m_c}) ASSERT_EQ(show.AddSlideFile(p, g_Project.m_Settings), 0);
        const std::string& working = g_Project.m_Config.m_strWorkingFolder;
        ASSERT_EQ(show.AddAudioFile(MakeMusic("one.wav"), working), 0);
        ASSERT_EQ(show.AddAudioFile(MakeMusic("two tunes.wav", 3), working), 0);
        show.SetCoverSlide(2);

        CSlideItem& first = *show.m_arrSlides[0];
        first.ContrastPos = 5;
        auto text = std::make_unique<CTextOverlayData>();
        text->text = "  Hello <world> & \"friends\"\r\nline two";
        text->x = -4; text->y = 7; text->cx = 120; text->cy = 30;
        LOGFONT font{};
        std::strcpy(font.lfFaceName, "DejaVu Sans");
        font.lfHeight = -24; font.lfWeight = 700; font.lfItalic = 1;
        text->SetFont(font, 0, 0);
        text->SetColor(RGB(255, 128, 1));
        first.AddEdit(std::move(text), COverlayData::KIND_TEXT);
        auto image = std::make_unique<CImageOverlayData>();
        image->path = UserFile("clip art/star.png");
        image->x = 1; image->y = 2; image->cx = 3; image->cy = 4;
        first.AddEdit(std::move(image), COverlayData::KIND_IMAGE);
        auto crop = std::make_unique<CCropData>();
        crop->upleft = POINT{5, 6};
        crop->downright = POINT{60, 40};
        first.AddEdit(std::move(crop), COverlayData::KIND_CROP);
        for (int32_t kind = COverlayData::KIND_ROTATE_LEFT_90; kind < COverlayData::KIND_COUNT; ++kind)
            first.AddEdit(std::make_unique<COverlayData>(kind), kind);

        CSlideItem& second = *show.m_arrSlides[1];
        second.BrightnessPos = 3; second.SharpenTimes = 2; second.SoftenTimes = 1;
        second.m_Settings.IS_NTSC = 1;
        second.m_Settings.m_Effect.m_nSingleEffectId = 13;
        second.m_Settings.m_Effect.m_nInitType = 2;
        second.m_Settings.m_Effect.m_nSingleEffectTime = 9;
        auto blinds = MakeTransition(TRANSITION_BLINDS, false);
        blinds->m_nParam1 = 1; blinds->m_nParam2 = 6;
        second.m_Settings.m_Effect.m_pTransition = std::move(blinds);
        ASSERT_EQ(show.m_arrSlides[2]->RotateLeft(working), 0); // the slide shows a turned copy
        show.RecalcTiming();

        ASSERT_EQ(g_Project.AddSlideshow("a/b"), 0);
        ASSERT_EQ(g_Project.GetCurrentSlideshow()->AddSlideFile(m_b, g_Project.m_Settings), 0);
    }

    BOOL Reopen(const std::string& path) {
        g_Project.DeleteAllSlideshows();
        g_Project.m_Config.m_strProjectFile = path;
        return g_Project.LoadProject();
    }

    std::string WriteProject(const std::string& name, const std::string& text) {
        const std::string path = ProgramFile(name);
        WriteFileBytes(path, text);
        return path;
    }

    // A project file around some slideshow elements, with this engine's own paths.
    std::string ProjectText(const std::string& slideshows) const {
        const CAppConfig& c = g_Project.m_Config;
        return "<vuzovez>\r\n<Preference File>" + c.m_strPreferenceFile + "</Preference File>\r\n<Working Path>" +
               c.m_strWorkingFolder + "</Working Path>\r\n<Temp Path>" + g_Project.m_Settings.m_strTempPath +
               "</Temp Path>\r\n<OutPut Path>" + g_Project.m_Settings.m_strOutputPath +
               "</OutPut Path>\r\n<cuteslideshows>\r\n" + slideshows + "</cuteslideshows>\r\n<duviMenu/>\r\n</vuzovez>\r\n";
    }

    static std::string Pic(const std::string& path, const std::string& rest = "") {
        CProjectSettings settings;
        CXmlDoc xml;
        xml.AddElem("x");
        xml.IntoElem();
        settings.Save(xml);
        std::string duvi = xml.GetDoc();
        duvi = duvi.substr(duvi.find("<DUVI_SETTING>"));
        duvi = duvi.substr(0, duvi.find("</x>"));
        return "<pic>\r\n<strOriginalFile>" + path + "</strOriginalFile>\r\n" + duvi + rest + "</pic>\r\n";
    }

    static std::string Show(const std::string& name, const std::string& cover, const std::string& pics) {
        return "<slideshow>\r\n<name>" + name + "</name>\r\n<cover index>" + cover + "</cover index>\r\n" + pics +
               "</slideshow>\r\n";
    }

    bool m_hasAudioLibrary = false;
    std::string m_a, m_b, m_c; // pictures the engine accepts
};

TEST_F(ProjectFileTest, SavedProjectReopensAndSavesByteIdentical) {
    BuildProject();
    const int32_t frames = g_Project.GetSlideshow(0)->GetTotalFrames();
    const std::string firstPath = ProgramFile("first.prg");
    g_Project.m_Config.m_strProjectFile = firstPath;
    ASSERT_TRUE(g_Project.SaveProject());
    EXPECT_EQ(g_Project.m_bModified, 0);
    EXPECT_EQ(BoxTexts().back(), "Save to '" + firstPath + "' Success!");
    EXPECT_FALSE(HasTempLeftovers(m_program));
    const std::string first = ReadFileBytes(firstPath);

    // Every element of the format is there, in the writer's form.
    for (const char* piece :
         {"<vuzovez>\r\n<Preference File>", "<Working Path>", "<Temp Path>", "<OutPut Path>", "<cuteslideshows>",
          "<name>Holiday &lt;&amp;&gt; \"1\"</name>", "<cover index>2</cover index>", "<audio>\r\n<originalFileName>",
          "<pic>\r\n<strOriginalFile>", "<m_strTempFile>", "<DUVI_SETTING>",
          "<General>\r\n<ContrastPos>5</ContrastPos>\r\n</General>\r\n<Text>\r\n<TextContent>  Hello &lt;world&gt;",
          "<BrightnessPos>3</BrightnessPos>\r\n<SharpenTimes>2</SharpenTimes>\r\n<SoftenTimes>1</SoftenTimes>",
          "<FontName>DejaVu Sans</FontName>\r\n<FontHeight>-24</FontHeight>\r\n<FontColor>98559</FontColor>\r\n"
          "<FontItalic>1</FontItalic>\r\n<FontWeight>700</FontWeight>",
          "<Image>\r\n<ImageName>", "<Crop>\r\n<upleft.x>5</upleft.x>\r\n<upleft.y>6",
          "<RotateLeft90/>\r\n<RotateRight90/>\r\n<Rotate180/>\r\n<FlipHorizontally/>\r\n<FlipVertically/>",
          "<General/>\r\n</pic>", "<duviMenu/>\r\n</vuzovez>\r\n"})
        EXPECT_NE(first.find(piece), std::string::npos) << piece;
    EXPECT_FALSE(g_Project.SaveProject()); // nothing changed since
    EXPECT_EQ(ReadFileBytes(firstPath), first);

    ASSERT_TRUE(Reopen(firstPath));
    // What the file does not hold directly: the editor's font, music starts, the timing. Every
    // stored value reading back shows in the byte-identical second save below.
    ASSERT_EQ(g_Project.GetSlideshowCount(), 2);
    const CSlideShow& show = *g_Project.GetSlideshow(0);
    const auto* text = dynamic_cast<const CTextOverlayData*>(show.m_arrSlides[0]->m_lstEdits[0].get());
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text->logFont.lfFaceName, "DejaVu Sans");
    EXPECT_EQ(text->logFont.lfWeight, 700);
    EXPECT_EQ(show.m_arrAudio[1]->m_nStart, show.m_arrAudio[0]->m_nDuration);
    if (m_hasAudioLibrary) {
        EXPECT_EQ(show.m_arrAudio[1]->m_strStart, "00:00:02");
    }
    // The timing counts the slides' own times, read after the slides were added.
    EXPECT_EQ(show.GetTotalFrames(), frames);

    const std::string secondPath = ProgramFile("second.prg");
    g_Project.m_Config.m_strProjectFile = secondPath;
    ASSERT_TRUE(g_Project.SaveProjectSilent());
    EXPECT_EQ(ReadFileBytes(secondPath), first);
}

TEST_F(ProjectFileTest, FailedSaveKeepsOldFileAndUnsavedFlag) {
    g_Project.AddSlideshow("keep");
    const std::string path = WriteProject("old.prg", "old contents");
    g_Project.m_Config.m_strProjectFile = path;
    {
        FileSizeLimit limit(64);
        EXPECT_FALSE(g_Project.SaveProject());
    }
    EXPECT_EQ(ReadFileBytes(path), "old contents");
    EXPECT_EQ(g_Project.m_bModified, 1);
    EXPECT_FALSE(HasTempLeftovers(m_program));
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(ProjectFileTest, MissingElementEndsReadingButKeepsWhatWasRead) {
    const std::string noWeight =
        "<Text>\r\n<TextContent>t</TextContent>\r\n<x>1</x>\r\n<y>1</y>\r\n<cx>1</cx>\r\n<cy>1</cy>\r\n"
        "<FontName>f</FontName>\r\n<FontHeight>1</FontHeight>\r\n<FontColor>1</FontColor>\r\n<FontItalic>0</FontItalic>\r\n</Text>\r\n";
    const std::string path =
        WriteProject("p.prg", ProjectText(Show("good", "0", Pic(m_a)) + Show("bad", "0", Pic(m_a, noWeight)) +
                                          Show("never", "0", Pic(m_a))));
    EXPECT_FALSE(Reopen(path));
    ASSERT_EQ(g_Project.GetSlideshowCount(), 2);
    EXPECT_EQ(g_Project.GetSlideshow(1)->GetSlideCount(), 1);

    // Without the root, the paths or a picture's settings: nothing more is read.
    EXPECT_FALSE(Reopen(WriteProject("q.prg", "<other/>")));
    EXPECT_FALSE(Reopen(WriteProject("q.prg", "<vuzovez><Preference File>x</Preference File></vuzovez>")));
    EXPECT_FALSE(Reopen(WriteProject("q.prg", ProjectText(Show("x", "0", "<pic><strOriginalFile>" + m_a +
                                                                            "</strOriginalFile></pic>")))));
    EXPECT_EQ(g_Project.GetSlideshowCount(), 1); // that slideshow got its picture before the failure
    EXPECT_FALSE(Reopen(WriteProject("q.prg", ProjectText("<slideshow><name>y</name></slideshow>"))));
    EXPECT_EQ(g_Project.GetSlideshowCount(), 0); // and this one none
    EXPECT_FALSE(Reopen(ProgramFile("missing.prg")));
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_FALSE(Reopen(WriteProject("q.prg", "<vuzovez><a></b></vuzovez>")));
    EXPECT_EQ(BoxTexts().back(), "can not set Doc!");
}

TEST_F(ProjectFileTest, ValuesFromFileAreCheckedBeforeUse) {
    std::string pic = Pic(m_a, "<Sparkle/>\r\n<Text>\r\n<TextContent>t</TextContent>\r\n<x>1</x>\r\n<y>1</y>\r\n<cx>1</cx>\r\n"
                             "<cy>1</cy>\r\n<FontName>" + std::string(40, 'W') + "</FontName>\r\n<FontHeight>1</FontHeight>\r\n"
                             "<FontColor>1</FontColor>\r\n<FontItalic>9</FontItalic>\r\n<FontWeight>1</FontWeight>\r\n</Text>\r\n");
    // Times, TV flag, effect id and level out of range, an unknown transition.
    pic.replace(pic.find("<IS_NTSC>0<"), 11, "<IS_NTSC>7<");
    pic.replace(pic.find("<SINGLE_EFFECT_TIME>3<"), 22, "<SINGLE_EFFECT_TIME>-5<");
    pic.replace(pic.find("<TRANSITIO_EFFECT_TIME>2<"), 25, "<TRANSITIO_EFFECT_TIME>99999999<");
    pic.replace(pic.find("<SINGLE_EFFECT_ID>20<"), 21, "<SINGLE_EFFECT_ID>-1<");
    const std::string twoByte = "\xC3\xA9"; // é: 16 of them do not fit in 31 bytes
    std::string faces;
    for (int k = 0; k < 16; ++k) faces += twoByte;
    const std::string second = Pic(m_b, "<Text><TextContent/><x/><y/><cx/><cy/><FontName>" + faces +
                                          "</FontName><FontHeight/><FontColor/><FontItalic/><FontWeight/></Text>");
    const std::string path = WriteProject(
        "p.prg", ProjectText(Show("big cover", "99", pic + second + Pic(m_c)) + Show("negative", "-7", Pic(m_a) + Pic(m_b)) +
                             Show("twice", "0", Pic(m_a) + Pic(m_a) + Pic(UserFile("missing.bmp")) + Pic("/dev/zero")) +
                             Show("no pictures", "0", "")));
    ASSERT_TRUE(Reopen(path));
    ASSERT_EQ(g_Project.GetSlideshowCount(), 3);
    EXPECT_EQ(g_Project.GetSlideshow(0)->GetCoverIndex(), 2);
    EXPECT_EQ(g_Project.GetSlideshow(1)->GetCoverIndex(), 0);
    EXPECT_EQ(g_Project.GetSlideshow(2)->GetSlideCount(), 1);

    const CSlideItem& slide = *g_Project.GetSlideshow(0)->m_arrSlides[0];
    EXPECT_EQ(slide.m_Settings.IS_NTSC, g_Project.m_Settings.IS_NTSC);
    EXPECT_EQ(slide.m_Settings.m_Effect.m_nSingleEffectTime, g_Project.m_Settings.m_Effect.m_nSingleEffectTime);
    EXPECT_EQ(slide.m_Settings.m_Effect.m_nTransitionTime, g_Project.m_Settings.m_Effect.m_nTransitionTime);
    EXPECT_GE(slide.m_Settings.m_Effect.m_nSingleEffectId, 0);
    ASSERT_EQ(slide.m_lstEdits.size(), 1u);
    const auto& text = dynamic_cast<const CTextOverlayData&>(*slide.m_lstEdits[0]);
    EXPECT_EQ(std::string(text.faceName), std::string(31, 'W'));
    EXPECT_EQ(text.italic, 1);
    const auto& cut = dynamic_cast<const CTextOverlayData&>(*g_Project.GetSlideshow(0)->m_arrSlides[1]->m_lstEdits[0]);
    EXPECT_EQ(std::string(cut.faceName), faces.substr(0, 30));
}

TEST_F(ProjectFileTest, GeneralValuesAreReadInTheirWrittenOrder) {
    // Each value is looked up after the one read before it: a value out of order is not seen.
    const struct {
        std::string general;
        int32_t brightness, contrast, sharpen, soften;
    } cases[] = {
        {"<SoftenTimes>4</SoftenTimes><BrightnessPos>7</BrightnessPos>", 7, 0, 0, 0},
        {"<SharpenTimes>3</SharpenTimes><ContrastPos>2</ContrastPos><SoftenTimes>1</SoftenTimes>", 0, 2, 0, 1},
        {"<ContrastPos>2</ContrastPos><SoftenTimes>6</SoftenTimes>", 0, 2, 0, 6},
    };
    std::string pics;
    const std::string* pictures[] = {&m_a, &m_b, &m_c};
    for (size_t k = 0; k < std::size(cases); ++k)
        pics += Pic(*pictures[k], "<General>" + cases[k].general + "</General>\r\n");
    ASSERT_TRUE(Reopen(WriteProject("p.prg", ProjectText(Show("s", "0", pics)))));
    const CSlideShow& show = *g_Project.GetSlideshow(0);
    ASSERT_EQ(show.GetSlideCount(), 3);
    for (size_t k = 0; k < std::size(cases); ++k) {
        const CSlideItem& slide = *show.m_arrSlides[k];
        EXPECT_EQ(slide.BrightnessPos, cases[k].brightness) << k;
        EXPECT_EQ(slide.ContrastPos, cases[k].contrast) << k;
        EXPECT_EQ(slide.SharpenTimes, cases[k].sharpen) << k;
        EXPECT_EQ(slide.SoftenTimes, cases[k].soften) << k;
    }
}

TEST_F(ProjectFileTest, MissingTurnedCopyShowsTheOriginalAndIsLogged) {
    const std::string gone = m_dir.File("temp/turned.bmp");
    auto withShown = [](std::string pic, const std::string& shown) {
        const std::string end = "</strOriginalFile>\r\n";
        return pic.insert(pic.find(end) + end.size(), "<m_strTempFile>" + shown + "</m_strTempFile>\r\n");
    };
    const std::string log = m_dir.File("log.txt");
    SetLogFilePath(log);
    ASSERT_TRUE(Reopen(WriteProject("p.prg", ProjectText(Show("s", "0", withShown(Pic(m_a), gone) + withShown(Pic(m_b), m_a))))));
    SetLogFilePath("");
    const CSlideShow& show = *g_Project.GetSlideshow(0);
    EXPECT_EQ(show.m_arrSlides[0]->m_strTempFile, m_a);
    EXPECT_EQ(show.m_arrSlides[1]->m_strTempFile, m_a);
    EXPECT_THAT(ReadFileBytes(log), ::testing::HasSubstr("Picture '" + gone + "' is missing; showing '" + m_a + "'"));
}

TEST_F(ProjectFileTest, HugeCountsStopAtTheSlideshowLimit) {
    std::string shows;
    for (int k = 0; k < 60; ++k) shows += Show("s" + std::to_string(k), "0", Pic(m_a));
    ASSERT_TRUE(Reopen(WriteProject("p.prg", ProjectText(shows))));
    EXPECT_EQ(g_Project.GetSlideshowCount(), MAX_SLIDESHOW_COUNT);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"get to Max slideshow count 50!"});
}

TEST_F(ProjectFileTest, HostileFilesNeverWriteOutsideTheWorkFolders) {
    // A foreign place with a preference file, a working folder and a temp folder of its own.
    const std::string outside = m_dir.File("outside");
    WriteFileBytes(outside + "/referenceFile.xml", "<reference><VERSION>3.0.6</VERSION></reference>");
    WriteFileBytes(outside + "/Project_1/temp/precious.txt", "keep me");
    WriteFileBytes(outside + "/temp/also.txt", "keep me too");
    const auto before = Snapshot(m_dir.File("outside"));
    const auto userBefore = Snapshot(m_dir.File("user"));
    const std::string ownPrefs = g_Project.m_Config.m_strPreferenceFile;
    const std::string ownWorking = g_Project.m_Config.m_strWorkingFolder;
    const std::string ownTemp = g_Project.m_Settings.m_strTempPath;

    const std::string text = "<vuzovez>\r\n<Preference File>" + outside + "/referenceFile.xml</Preference File>\r\n"
                             "<Working Path>" + outside + "/Project_1</Working Path>\r\n<Temp Path>" + outside +
                             "/temp</Temp Path>\r\n<OutPut Path>/</OutPut Path>\r\n<cuteslideshows>\r\n" +
                             Show("../../../../evil", "0", Pic(m_a)) + Show("/", "0", Pic(m_a)) +
                             Show("x", "0", Pic(m_a, "<Text><TextContent>x</TextContent></Text>"));
    // The whole file, every cut of it, and the same nested ever deeper.
    std::vector<std::string> inputs{text + "</cuteslideshows></vuzovez>"};
    for (size_t cut = 0; cut < text.size(); cut += 23) inputs.push_back(text.substr(0, cut));
    inputs.push_back("<vuzovez>" + std::string(2000, '<') + "</vuzovez>");
    std::string deep = "<vuzovez>";
    for (int k = 0; k < 5000; ++k) deep += "<a>";
    inputs.push_back(deep);
    for (const std::string& input : inputs) {
        Reopen(WriteProject("hostile.prg", input));
        EXPECT_EQ(g_Project.m_Config.m_strPreferenceFile, ownPrefs);
        EXPECT_EQ(g_Project.m_Config.m_strWorkingFolder, ownWorking);
        EXPECT_EQ(g_Project.m_Settings.m_strTempPath, ownTemp);
    }
    // The project file vanishes: cleaning up and moving the work folders touch only our own.
    g_Project.m_Config.m_strProjectFile = ProgramFile("gone.prg");
    g_Project.RemoveUnsavedWorkFolders();
    g_Project.SetWorkingFolder(m_dir.File("moved"));
    EXPECT_EQ(Snapshot(outside), before);
    EXPECT_EQ(Snapshot(m_dir.File("user")), userBefore);
    EXPECT_TRUE(std::filesystem::exists(ownPrefs));
    std::set<std::string> top;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) top.insert(entry.path().filename());
    EXPECT_EQ(top, (std::set<std::string>{"data", "moved", "outside", "program", "user"}));
}

TEST_F(ProjectFileTest, OwnWorkFoldersNamedByTheFileAreTaken) {
    const std::string working = m_data + "/Project_7";
    const std::string path = WriteProject("p.prg", "<vuzovez><Preference File/><Working Path>" + working +
                                                       "</Working Path><Temp Path>" + working +
                                                       "/temp</Temp Path><OutPut Path>" + working +
                                                       "/Output</OutPut Path></vuzovez>");
    ASSERT_TRUE(Reopen(path));
    EXPECT_EQ(g_Project.m_Config.m_strWorkingFolder, working);
    EXPECT_EQ(g_Project.m_Settings.m_strTempPath, working + "/temp");
    EXPECT_EQ(g_Project.m_Settings.m_strOutputPath, working + "/Output");
}
