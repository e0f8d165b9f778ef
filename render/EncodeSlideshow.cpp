#include "render/EncodeSlideshow.h"

#include <cstdio>

#include "editor/AppDirectory.h"
#include "model/CProject.h"
#include "model/CSlideShow.h"
#include "model/Log.h"
#include "render/EncodeJob.h"
#include "render/EncodePipeline.h"
#include "render/FramePresenter.h"
#include "render/EncoderFrameBuffers.h"
#include "render/EncoderParameters.h"
#include "render/EncoderSession.h"
#include "render/RenderCanvas.h"
#include "render/RenderJob.h"
#include "render/SlideshowRenderer.h"

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
    canvas.AttachForEncode(render, job, &buffers, session.FrameEntry());
    render.m_dProgress = 0.0;
    const int32_t total = show->GetTotalFrames();
    render.m_dProgressStep = total > 0 ? 65535.0 / total : 0.0;

    int32_t result = 0;
    {
        EncodePipeline pipeline(session.FrameEntry());
        render.m_pEncodePipeline = &pipeline;
        result = RenderSlideshow(render, show, parameters.m_nFps);
        if (result == 0) result = FinishEncodedFrames(render);
        render.m_pEncodePipeline = nullptr;
    } // no frame is in flight past here
    session.Close();
    return result;
}

int32_t EncodeSlideshow(EncodeJob* job) {
    return EncodeSlideshow(job, g_Project.m_ProfileGroups.GetCurrentProfile(), GetAppDirectory());
}
