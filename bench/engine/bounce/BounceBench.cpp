// Bouncing a 60 s sequence of eight stereo tracks (44.1 kHz, 16-bit sound
// files) to a 16-bit WAV file, beside sox mixing the same eight files into
// the same kind of file. Both rows are wall time of the whole job, files
// written to a temporary folder, in the same run.
//
// Rows (wall time per job):
//   bounce   QVBounceMgr::LaunchBounce, synchronous: paste into a private
//            document, render through its audio source, write the file
//   sox      reference: sox -D -m -v1 <8 files> -b 16 <file>
// Run: bench_engine_BounceBench

#include "AKIdlingCenter.h"
#include "AKSys.h"
#include "AKTree.h"
#include "AKTreeSel.h"
#include "AKTreeSelCache.h"
#include "QVBounceMgr.h"
#include "QVDocument.h"
#include "QVLibEnv.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVProvider.h"
#include "QVProviderMgr.h"
#include "QVTreeHandler.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr unsigned int kTracks = 8;
constexpr int kRate = 44100;
constexpr double kSeconds = 60.0;

struct Setup {
    Setup()
    {
        QVLibEnv::Initialize(false);
        char pattern[] = "/tmp/orvel-bounce-bench-XXXXXX";
        folder = mkdtemp(pattern);
        for (unsigned int n = 0; n < kTracks; ++n)
            sounds.push_back(WriteSound(n));
        BuildSequence();
    }
    ~Setup()
    {
        delete document;
        for (std::string const& sound : sounds)
            std::remove(sound.c_str());
        std::remove(Output("bounce").c_str());
        std::remove(Output("sox").c_str());
        rmdir(folder.c_str());
        QVLibEnv::Terminate();
    }

    std::string Output(char const* name) const { return folder + "/" + name + ".wav"; }

    std::string WriteSound(unsigned int n) const
    {
        std::string const path = folder + "/sound" + std::to_string(n) + ".wav";
        SF_INFO info = {};
        info.samplerate = kRate;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* const file = sf_open(path.c_str(), SFM_WRITE, &info);
        auto const frames = static_cast<unsigned long long>(kSeconds * kRate);
        std::vector<short> samples(frames * 2);
        for (unsigned long long f = 0; f < frames; ++f)
            for (unsigned int c = 0; c < 2; ++c)
                samples[f * 2 + c] = static_cast<short>(
                    std::lrint(3000.0 * std::sin(2.0 * M_PI * (110.0 * (n + 1) + 37.0 * c) * f / kRate)));
        sf_writef_short(file, samples.data(), static_cast<sf_count_t>(frames));
        sf_close(file);
        return path;
    }

    void BuildSequence()
    {
        document = new QVDocument(1, kQVDocumentFlagPrivate);
        document->OnDocumentNew(AKString("Bench"), 0, false);
        QVObjectTrackArray tracks;
        for (std::string const& sound : sounds) {
            QVObjectTrack* const track = AKNew<QVObjectTrack>("%s", "");
            track->InitWithSound(AKFilePath(sound.c_str()), nullptr, nullptr);
            tracks.Push(track);
        }
        QVTreeHandler* const handler = QVTreeHandlerOfDocument(document);
        handler->DoEasyStart(QVCommandInfo(8201, AKString("New Sequences")), nullptr);
        handler->DoEasyNewSequenceWithNewTracks(&sequence, AKString("Seq"), &tracks);
        handler->DoEasyEnd();
        document->SynchronizeAllAndNotifyGandlerListeners();
        QVProviderMgr::sShared.LoadAllProvidersSoundFile(kQVProviderLoadNow);
        for (int pass = 0; pass < 100000 && !SoundsLoaded(); ++pass) {
            AKIdlingCenter::sShared.DoGlobalIdling();
            AKSys::SleepMicroSec(1000.0);
        }
        AKTreeSel selection(document->GetTree());
        selection.InitWithObject(sequence);
        document->GetTree()->WriteTreeSelToCache(&store, selection);
    }

    bool SoundsLoaded() const
    {
        QVProviderIDArray ids;
        QVProviderMgr::sShared.GrabActiveProviderIDsInDocument(&ids, document);
        for (QVProviderID id : ids) {
            QVProvider const* const provider = QVProviderMgr::sShared.GetProviderByID(id);
            if (provider != nullptr && !provider->IsSoundDataCompletelyAvailable())
                return false;
        }
        return true;
    }

    std::string folder;
    std::vector<std::string> sounds;
    QVDocument* document = nullptr;
    QVObjectSequence* sequence = nullptr;
    AKTreeSelCache store;
};

Setup& TheSetup()
{
    static Setup sSetup;
    return sSetup;
}

void BM_Bounce(benchmark::State& state)
{
    Setup& setup = TheSetup();
    QVBounceParam param;
    param.soundFormat = QVAudioFormatFromAKString(AKString("wav"));
    param.pcmInfo = QVAudioPCMInfoFromAKString(AKString("16"));
    param.channelCount = 2;
    param.sampleRate = kRate;
    param.duration = kSeconds;
    AKFilePath const path(setup.Output("bounce").c_str());
    for (auto _ : state) {
        if (QVBounceMgr::sShared.LaunchBounce(kQVBounceModeSync, setup.store, path, param) != 0)
            state.SkipWithError("bounce failed");
    }
    state.counters["audio_s_per_s"] =
        benchmark::Counter(kSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Sox(benchmark::State& state)
{
    Setup& setup = TheSetup();
    std::string command = "sox -D -m";
    for (std::string const& sound : setup.sounds)
        command += " -v1 '" + sound + "'";
    command += " -b 16 '" + setup.Output("sox") + "' 2>/dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("sox failed");
    }
    state.counters["audio_s_per_s"] =
        benchmark::Counter(kSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_Bounce)->Name("bounce")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Sox)->Name("sox")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
