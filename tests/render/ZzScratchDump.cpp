#include <gtest/gtest.h>
#include <cstdio>
#include "render/FramePresenter.h"
#include "render/TransitionRenderers.h"
#include "tests/render/RenderTestUtil.h"
using namespace rendertest;
TEST(ZzScratch, Dump) {
    TempDir dir;
    const int w = 240, h = 180;
    auto grad = [](int x, int y) { return 0xFF000000u | ((x * 255 / 240) << 16) | ((y * 255 / 180) << 8) | (((x / 20 + y / 20) % 2) * 200); };
    auto grad2 = [](int x, int y) { return 0xFF000000u | (((x / 30 + y / 30) % 2) * 255 << 8) | 0x2020A0u | ((x*255/240) << 16); };
    WritePicture(dir.File("o.bmp"), w, h, grad);
    WritePicture(dir.File("n.bmp"), w, h, grad2);
    struct K { int kind, p1, p2; const char* name; } ks[] = {{10,4,0,"polyin"},{10,7,1,"polyout"},{7,0,0,"dooropen"},{7,1,0,"doorclose"},{13,0,0,"spin"},{8,0,0,"flipv"},{8,1,0,"fliph"},{11,0,0,"rot0"},{11,1,0,"rot1"},{9,0,0,"flyin"},{9,1,0,"flyout"},{15,0,0,"twist0"},{15,1,0,"twist1"},{5,0,0,"cube0"},{5,1,0,"cube1"},{5,2,0,"cube2"},{5,3,0,"cube3"}};
    for (auto& k : ks) {
        auto show = MakeSlideshow(dir, {{dir.File("o.bmp")}, {dir.File("n.bmp"), 20, 1, 1, k.kind, k.p1}});
        show->m_arrSlides[1]->m_Settings.m_Effect.m_pTransition->m_nParam2 = k.p2;
        EncodeHarness hs(w, h, show.get());
        Gdiplus::Bitmap old(dir.File("o.bmp"));
        hs.job.m_pFrameGraphics->DrawImage(&old, 0, 0);
        hs.SetSlide(1, 10);
        RenderTransitionOfKind(hs.job, k.kind);
        // montage of 10 transition frames: 5 x 2
        std::string path = std::string("/tmp/dump_") + k.name + ".pgm";
        FILE* f = fopen(path.c_str(), "wb");
        fprintf(f, "P5 %d %d 255\n", w * 5, h * 2);
        for (int row = 0; row < 2; ++row)
            for (int y = 0; y < h; ++y)
                for (int c = 0; c < 5; ++c) fwrite(&FrameCatcher::frames[row * 5 + c][y * w], 1, w, f);
        fclose(f);
    }
}
