// FFmpeg's libraries share one log on standard error for the whole process.
#pragma once

// From now on the libraries log errors only: their notes about stream details mean nothing to
// a user.
void QuietFfmpegLogging();
