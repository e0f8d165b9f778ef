#include "render/EncodeSlideshow.h"

#include <cstdio>

#include "editor/AppDirectory.h"
#include "model/COutputProfile.h"
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

// The job's failure (the first one seen: later ones follow from it), also in the log.
void RecordFailure(EncodeJob* job, const std::string& reason) {
    WriteLog("Make video failed: " + reason);
    if (job && job->m_strFailure.empty()) job->m_strFailure = reason;
}

// An encoder entry's failure with its result code and the library's reason.
void RecordEncoderFailure(EncodeJob* job, const EncoderSession& session, const char* entry, int32_t code) {
    std::string reason = session.EncoderError();
    WriteLog(std::string(entry) + " failed with " + std::to_string(code) + (reason.empty() ? "" : ": " + reason));
    if (reason.empty()) reason = std::string("the encoder library's ") + entry + " failed with " + std::to_string(code);
    RecordFailure(job, reason);
}

} // namespace

int32_t EncodeSlideshow(EncodeJob* job, const COutputProfile* profile, const std::string& programFolder) {
    if (job) job->m_strFailure.clear();
    WriteLog("begin Load VelmorEncoder");
    EncoderSession session;
    if (!session.Load(programFolder)) {
        RecordFailure(job, "cannot load the encoder library: " + session.LastError());
        return 1;
    }
    WriteLog("End Load VelmorEncoder");
    if (!job || !job->m_pSlideshow) return 1;
    if (!profile) {
        RecordFailure(job, "there is no output profile");
        return 1;
    }
    const CSlideShow* show = job->m_pSlideshow;
    EncoderParameters parameters;
    if (!parameters.FromProfile(*profile, programFolder, show->m_strOutputFile, show->m_strMp2File)) {
        RecordFailure(job, "the output profile's frame size '" + profile->m_VideoSize.m_Current.value +
                               "' or frame rate '" + profile->m_FrameRate.m_Current.value + "' is not usable");
        return 1;
    }
    if (SlideshowSlideCount(show) < 1) {
        RecordFailure(job, "the slideshow '" + show->m_strName + "' has no slide");
        return 1;
    }
    EncoderFrameBuffers buffers;
    if (!buffers.Allocate(parameters.m_nWidth, parameters.m_nHeight)) {
        RecordFailure(job, "no memory for frames of " + parameters.m_strFrameSize);
        return 1;
    }

    LogInit(parameters);
    // The rendering goes on as the driver always did: a failed start makes the first frame fail.
    const int32_t opened = session.Open(parameters);
    if (opened != 0) RecordEncoderFailure(job, session, "initEncoder", opened);
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
    if (result != 0 && result != 2) RecordEncoderFailure(job, session, "EncOneFrame", result);
    // A file that cannot be finished is gone: the slideshow failed even when every frame went in.
    const int32_t closed = session.Close();
    if (closed != 0 && result == 0) {
        RecordEncoderFailure(job, session, "closeEncoder", closed);
        result = closed == 2 ? 1 : closed;
    }
    // A library that took every frame after all has made the video; a stop is no failure.
    if (result == 0 || result == 2) job->m_strFailure.clear();
    return result;
}

int32_t EncodeSlideshow(EncodeJob* job) {
    return EncodeSlideshow(job, g_Project.m_ProfileGroups.GetCurrentProfile(), GetAppDirectory());
}
