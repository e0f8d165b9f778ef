#include "render/EncodeSlideshow.h"

#include <cstdio>

#include "editor/AppDirectory.h"
#include "model/CProject.h"
#include "model/CSlideItem.h"
#include "model/CSlideShow.h"
#include "model/Log.h"
#include "render/EncodeJob.h"
#include "render/EncoderFrameBuffers.h"
#include "render/EncoderParameters.h"
#include "render/EncoderSession.h"
#include "render/FirstSlideRenderer.h"
#include "render/RenderCanvas.h"
#include "render/RenderJob.h"
#include "render/TransitionRenderers.h"

namespace {

void LogInit(const EncoderParameters& p) {
    char line[4096];
    std::snprintf(line, sizeof line,
                  "Begin init encoder rectScreen:%d,%d. m2vFile:%s, strAudioPath:%s, strACodec:%s, strARate:%s, "
                  "strASample:%s, strAChannel:%s, strVCodec:%s, strVRate:%s",
                  p.m_nWidth, p.m_nHeight, p.m_strOutputFile.c_str(), p.m_strAudioFile.c_str(),
                  p.m_strAudioCodec.c_str(), p.m_strAudioBitRate.c_str(), p.m_strAudioSampleRate.c_str(),
                  p.m_strAudioChannels.c_str(), p.m_strVideoCodec.c_str(), p.m_strVideoBitRate.c_str());
    WriteLog(line);
}

// Every frame of the slideshow, through the renderers, until one of them returns non-zero.
int32_t RenderSlides(RenderJob& job, const CSlideShow* show, int32_t fps) {
    job.m_nFrameIndex = 0;
    job.m_nSlideFrames = fps;
    job.m_nTransitionFrames = 0;
    int32_t result = ShowFirstSlide(job);
    const int32_t count = SlideshowSlideCount(show);
    for (int32_t i = 1; i < count && result == 0; ++i) {
        const CSlideItem* slide = SlideshowSlideAt(show, i);
        const CEffectSetting& effect = slide->m_Settings.m_Effect;
        job.m_nFrameIndex = static_cast<uint32_t>(i);
        const int32_t transition = FramesForSeconds(fps, effect.m_nTransitionTime);
        job.m_nSlideFrames = FramesForSeconds(fps, effect.m_nSingleEffectTime) + transition;
        job.m_nTransitionFrames = transition;
        result = RenderTransitionOfKind(job, GetRenderTransitionKind(job));
    }
    return result;
}

} // namespace

int32_t EncodeSlideshow(EncodeJob* job, const COutputProfile* profile, const std::string& programFolder) {
    WriteLog("begin Load VelmorEncoder");
    EncoderSession session;
    if (!session.Load(programFolder)) return 1;
    WriteLog("End Load VelmorEncoder");
    if (!profile || !job || !job->m_pSlideshow) return 1;
    const CSlideShow* show = job->m_pSlideshow;
    EncoderParameters parameters;
    if (!parameters.FromProfile(*profile, programFolder, show->m_strOutputFile, show->m_strMp2File)) return 1;
    if (SlideshowSlideCount(show) < 1) return 1;
    EncoderFrameBuffers buffers;
    if (!buffers.Allocate(parameters.m_nWidth, parameters.m_nHeight)) return 1;

    LogInit(parameters);
    session.Open(parameters);
    WriteLog("End init encoder");

    RenderCanvas canvas(parameters.m_nWidth, parameters.m_nHeight, Gdiplus::PixelFormat24bppRGB);
    RenderJob render;
    render.m_nMode = RENDER_ENCODE;
    canvas.Attach(render);
    render.m_pfnEncodeFrame = session.FrameEntry();
    render.m_pEncodeJob = job;
    render.m_pEncodeBuffers = &buffers;
    render.m_dProgress = 0.0;
    const int32_t total = show->GetTotalFrames();
    render.m_dProgressStep = total > 0 ? 65535.0 / total : 0.0;

    const int32_t result = RenderSlides(render, show, parameters.m_nFps);
    session.Close();
    return result;
}

int32_t EncodeSlideshow(EncodeJob* job) {
    const COutputProfileGroup* group = g_Project.m_ProfileGroups.GetCurrent();
    const COutputProfile* profile = group ? group->GetCurrent() : nullptr;
    return EncodeSlideshow(job, profile, GetAppDirectory());
}
