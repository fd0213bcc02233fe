// The document manager's mix of the real-time documents beside a plain
// reference, on a 48 kHz stereo device with blocks of 512 frames. Each
// document's source hands back the same prepared block, so the rows measure
// the manager's own work: the busy handshake, the walk of the list, the
// clearing and summing of the blocks and the load figure.
//
// Rows (time per device block; items: documents mixed):
//   manager/n     GetNextRealTimeAudioBlock over n real-time documents;
//   manager_copy/n  CopyNextRealTimeAudioBlock, the same plus the copy into
//                 the caller's buffer;
//   loop/n        reference: a plain loop zeroing a stereo block and adding
//                 n blocks into it sample by sample.
// Run: bench_engine_DocumentMixBench [--benchmark_filter=...]

#include "QVDocument.h"
#include "QVDocumentAudioSource.h"
#include "QVDocumentMgr.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr unsigned int kChannels = 2;
constexpr unsigned long long kBlockFrames = 512;
constexpr double kRate = 48000.0;

class ConstantSource : public QVDocumentAudioSource
{
public:
    static QVDocumentAudioSource* Make(QVDocument*) { return new ConstantSource(); }

    void PrepareAudioResources(QVAudioInfo const& format) override
    {
        mBlock.AllocateClean(format.channelCount, format.frameCount, format.sampleRate);
        for (unsigned int channel = 0; channel < mBlock.ChannelCount(); ++channel)
            for (unsigned long long frame = 0; frame < mBlock.FrameCount(); ++frame)
                *mBlock.SamplePtr(channel, frame) = 0.01 * static_cast<double>(frame % 100);
    }
    void ReleaseAudioResources() override { mBlock.Free(); }
    void SynchronizeWithDoc(bool) override {}
    QXSampleBuffer<double>* GetNextAudioBlock(unsigned long long) override { return &mBlock; }

private:
    QXSampleBuffer<double> mBlock;
};

// A manager of its own with n private real-time documents.
struct Mixing {
    explicit Mixing(unsigned int count)
    {
        QVDocumentAudioSource::InstallMaker(&ConstantSource::Make);
        for (unsigned int i = 0; i < count; ++i) {
            documents.push_back(std::make_unique<QVDocument>(0, kQVDocumentFlagPrivate | kQVDocumentFlagRealTimeAudio));
            mgr.AddDocument(documents.back().get());
        }
        QVDocumentAudioSource::InstallMaker(nullptr);
        QVAudioInfo format;
        format.Setup(kChannels, kBlockFrames, kRate);
        mgr.PrepareRealTimeAudioResources(format);
    }
    ~Mixing()
    {
        for (auto const& document : documents)
            mgr.RemoveDocument(document.get());
    }

    QVDocumentMgr mgr;
    std::vector<std::unique_ptr<QVDocument>> documents;
};

void BM_manager(benchmark::State& state)
{
    Mixing mixing(static_cast<unsigned int>(state.range(0)));
    QXSampleBuffer<double>* mix = nullptr;
    for (auto _ : state) {
        mixing.mgr.GetNextRealTimeAudioBlock(&mix, 0);
        benchmark::DoNotOptimize(mix->SamplePtrConst(0, 0));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_manager_copy(benchmark::State& state)
{
    Mixing mixing(static_cast<unsigned int>(state.range(0)));
    QXSampleBuffer<double> output;
    output.AllocateClean(kChannels, kBlockFrames, kRate);
    for (auto _ : state) {
        mixing.mgr.CopyNextRealTimeAudioBlock(&output, 0);
        benchmark::DoNotOptimize(output.SamplePtrConst(0, 0));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_loop(benchmark::State& state)
{
    auto const count = static_cast<unsigned int>(state.range(0));
    std::vector<std::vector<double>> blocks(count, std::vector<double>(kChannels * kBlockFrames));
    for (auto& block : blocks)
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = 0.01 * static_cast<double>(i % 100);
    std::vector<double> mix(kChannels * kBlockFrames);
    for (auto _ : state) {
        std::fill(mix.begin(), mix.end(), 0.0);
        for (auto const& block : blocks)
            for (size_t i = 0; i < mix.size(); ++i)
                mix[i] += block[i];
        benchmark::DoNotOptimize(mix.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_manager)->Name("manager")->Arg(1)->Arg(4)->Arg(16);
BENCHMARK(BM_manager_copy)->Name("manager_copy")->Arg(1)->Arg(4)->Arg(16);
BENCHMARK(BM_loop)->Name("loop")->Arg(1)->Arg(4)->Arg(16);

}  // namespace

BENCHMARK_MAIN();
