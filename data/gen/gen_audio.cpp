// Writes the program folder's sounds: "default.mp3", a short calm tune synthesised here, and
// "silent.mp2", one minute of silence in the converted-music MP2 format (the audio tools repeat or
// cut it as a show needs). Usage: gen_audio <folder>
#include "platform/av/SoundFileWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kChordSeconds = 3.0;
constexpr int kSilentSeconds = 60;
constexpr int64_t kBitRate = 128000;

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
};

double MidiToHz(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// A soft tone: the fundamental with two quiet overtones.
double Tone(double hz, double t) {
    const double w = 2.0 * kPi * hz * t;
    return std::sin(w) + 0.25 * std::sin(2.0 * w) + 0.08 * std::sin(3.0 * w);
}

// Adds one note with an attack, a hold and an exponential release; `pan` 0 is left, 1 is right.
void AddNote(Stereo& out, double start, double length, int note, double gain, double attack, double decay,
             double pan) {
    const double hz = MidiToHz(note);
    const double l = gain * std::cos(pan * kPi / 2.0);
    const double r = gain * std::sin(pan * kPi / 2.0);
    const size_t first = static_cast<size_t>(start * kRate);
    const size_t count = static_cast<size_t>((length + 5.0 * decay) * kRate);
    for (size_t i = 0; i < count && first + i < out.left.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double env = t < attack ? t / attack : 1.0;
        if (t > length) env *= std::exp(-(t - length) / decay);
        const double v = env * Tone(hz, t);
        out.left[first + i] += static_cast<float>(v * l);
        out.right[first + i] += static_cast<float>(v * r);
    }
}

Stereo ComposeTune() {
    // I - V - vi - IV twice in C major, then a closing C chord.
    const int chords[][3] = {{60, 64, 67}, {55, 59, 62}, {57, 60, 64}, {53, 57, 60},
                             {60, 64, 67}, {55, 59, 62}, {57, 60, 64}, {53, 57, 60}, {60, 64, 67}};
    const int chordCount = static_cast<int>(std::size(chords));
    const double seconds = chordCount * kChordSeconds + 2.0;
    Stereo out;
    out.left.assign(static_cast<size_t>(seconds * kRate), 0.0f);
    out.right.assign(out.left.size(), 0.0f);

    const int pattern[] = {0, 1, 2, 3, 2, 1, 0, 1};
    for (int c = 0; c < chordCount; ++c) {
        const double start = c * kChordSeconds;
        const bool last = c == chordCount - 1;
        const double hold = last ? kChordSeconds : kChordSeconds - 0.2;
        for (int n : chords[c]) AddNote(out, start, hold, n, 0.10, 0.4, last ? 0.8 : 0.3, 0.5);
        AddNote(out, start, hold, chords[c][0] - 12, 0.16, 0.2, last ? 0.8 : 0.3, 0.5);
        if (last) continue;
        for (int k = 0; k < 8; ++k) {
            const int step = pattern[k];
            const int note = (step == 3 ? chords[c][0] + 12 : chords[c][step]) + 12;
            AddNote(out, start + k * kChordSeconds / 8.0, 0.02, note, 0.12, 0.005, 0.35, k % 2 ? 0.35 : 0.65);
        }
    }

    // Gentle fades at both ends and a peak of about -3 dB.
    float peak = 0.0f;
    for (size_t i = 0; i < out.left.size(); ++i) peak = std::max({peak, std::fabs(out.left[i]), std::fabs(out.right[i])});
    const double scale = peak > 0.0f ? 0.7 / peak : 1.0;
    const double fadeIn = 0.5 * kRate;
    const double fadeOut = 2.0 * kRate;
    const double total = static_cast<double>(out.left.size());
    for (size_t i = 0; i < out.left.size(); ++i) {
        const double pos = static_cast<double>(i);
        const double g = scale * std::min({1.0, pos / fadeIn, (total - pos) / fadeOut});
        out.left[i] = static_cast<float>(out.left[i] * g);
        out.right[i] = static_cast<float>(out.right[i] * g);
    }
    return out;
}

// Writes under a temporary name and renames, so a failed run never leaves a broken file.
template <typename Fn>
bool WriteAtomically(const std::string& path, Fn write) {
    const std::string temp = path + ".tmp";
    if (!write(temp)) {
        std::remove(temp.c_str());
        std::fprintf(stderr, "gen_audio: cannot write %s\n", path.c_str());
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        std::fprintf(stderr, "gen_audio: cannot create %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_audio <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const Stereo tune = ComposeTune();
    const bool ok = WriteAtomically(folder + "/default.mp3", [&](const std::string& p) { return SoundFileWriter::WriteMp3(p, tune.left, tune.right, kRate, kBitRate); }) &&
                    WriteAtomically(folder + "/silent.mp2", [](const std::string& p) { return SoundFileWriter::WriteSilentMp2(p, kSilentSeconds); });
    return ok ? 0 : 1;
}
