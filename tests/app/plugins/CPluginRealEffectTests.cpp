// Real effects from the system's plug-in packages, through the host: the
// toolkit scans the effect's file, the engine gets its description, an
// instance is made for the engine's audio format and filters a sine. Each
// test is skipped when its package is missing.

#include "CPluginInstance.h"
#include "CPluginMgrLibext.h"
#include "JCAppUserSettings.h"
#include "QVDocumentMgr.h"
#include "QVEngineServices.h"
#include "QVPluginMgr.h"
#include "QXSampleBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

// The toolkit's bundled LV2 library keeps a copy of its search path each time
// the path is set, and never frees the earlier one: not this program's leak.
extern "C" char const* __lsan_default_suppressions() { return "leak:lilv_world_set_option\n"; }

// Plug-in libraries stay loaded until the program ends: what their start-up
// code allocates stays reachable from their globals instead of turning into
// leaks of unknown origin when the toolkit unloads them.
extern "C" int dlclose(void*) { return 0; }

namespace {

constexpr double kPi = 3.14159265358979323846;

struct RealEffect {
    char const* package;
    char const* format;      // the toolkit's format name
    char const* identifier;  // the toolkit's file or identifier
    char const* installed;   // a file the package installs
};

class CPluginRealEffectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVEngineServices::Install();
        mHost = new CPluginMgrLibext();
        QVPluginMgr::sShared.SetQVLibExtendedFunctions(mHost);
        QVPluginMgr::sShared.InitializeWithCurrentPrefs();
    }
    void TearDown() override
    {
        if (mInstance != nullptr)
            QVPluginMgr::sShared.ReleasePluginInstance(mInstance);
        QVPluginMgr::sShared.Terminate();
        QVEngineServices::Uninstall();
    }

    // Scans the effect's file into the host's list and makes an instance of
    // it through the engine; null (with a failure) when any step fails.
    CPluginInstance* ScanAndInstantiate(RealEffect const& effect)
    {
        juce::AudioPluginFormat* format = nullptr;
        for (int i = 0; i < mHost->GetFormatManager()->getNumFormats(); ++i) {
            if (mHost->GetFormatManager()->getFormat(i)->getName() == effect.format)
                format = mHost->GetFormatManager()->getFormat(i);
        }
        EXPECT_NE(format, nullptr) << effect.format;
        if (format == nullptr)
            return nullptr;
        juce::OwnedArray<juce::PluginDescription> found;
        mHost->GetKnownPluginList().scanAndAddFile(effect.identifier, true, found, *format);
        EXPECT_FALSE(found.isEmpty()) << effect.identifier;
        mHost->SynchronizePluginList();

        QVPluginDescUID uid = kQVNullPluginDescUID;
        for (QVPluginDesc const& desc : QVPluginMgr::sShared.GetPluginDescs()) {
            if (desc.GetFileID() == effect.identifier)
                uid = desc.GetUID();
        }
        EXPECT_NE(uid, kQVNullPluginDescUID) << effect.identifier << " is not among the engine's effects";
        mInstance = dynamic_cast<CPluginInstance*>(QVPluginMgr::sShared.CreatePluginInstance(uid));
        EXPECT_NE(mInstance, nullptr) << effect.identifier;
        return mInstance;
    }

    // Filters a stereo sine of amplitude 0.9 for twelve blocks of four
    // prepared lengths each (limiters and compressors settle, and look-ahead
    // delays fill), then checks the last block: every sample finite, some
    // sound, and not the input.
    static void ExpectFiltersASine(CPluginInstance* instance, QVAudioInfo const& info)
    {
        unsigned int const frames = 4 * static_cast<unsigned int>(info.frameCount);
        QXSampleBuffer<double> block;
        ASSERT_TRUE(block.AllocateClean(2, frames, info.sampleRate));
        auto sine = [&info](unsigned long long frame) {
            return 0.9 * std::sin(2.0 * kPi * 440.0 * static_cast<double>(frame) / info.sampleRate);
        };
        unsigned long long position = 0;
        for (int pass = 0; pass < 12; ++pass, position += frames) {
            for (unsigned int i = 0; i < frames; ++i)
                *block.SamplePtr(0, i) = *block.SamplePtr(1, i) = sine(position + i);
            instance->ApplyRTFilterSelf(&block, false, false);
        }
        position -= frames;
        double difference = 0.0, energy = 0.0;
        for (unsigned int c = 0; c < 2; ++c) {
            for (unsigned int i = 0; i < frames; ++i) {
                double const y = *block.SamplePtrConst(c, i);
                ASSERT_TRUE(std::isfinite(y)) << "sample " << i << " of channel " << c;
                difference = std::max(difference, std::fabs(y - sine(position + i)));
                energy += y * y;
            }
        }
        EXPECT_GT(difference, 0.01) << "the effect left the sine as it was";
        EXPECT_GT(std::sqrt(energy / (2.0 * frames)), 0.05) << "the effect made the sine silent";
    }

    void ExpectEffectFiltersASine(RealEffect const& effect)
    {
        if (!juce::File(effect.installed).exists())
            GTEST_SKIP() << effect.package
                         << " is not installed (scripts/install-deps.sh installs it): " << effect.installed
                         << " is missing";
        CPluginInstance* const instance = ScanAndInstantiate(effect);
        ASSERT_NE(instance, nullptr);
        EXPECT_EQ(instance->GetInputChannelCount(), 2u);
        ExpectFiltersASine(instance, QVDocumentMgr::sShared.GetCurrentAudioInfo());
    }

    juce::ScopedJuceInitialiser_GUI mToolkit;
    CPluginMgrLibext* mHost = nullptr;
    CPluginInstance* mInstance = nullptr;
};

// A digital peak limiter with look-ahead.
TEST_F(CPluginRealEffectTest, AnLV2EffectFiltersASine)
{
    ExpectEffectFiltersASine(
        {"x42-plugins", "LV2", "http://gareus.org/oss/lv2/dpl#stereo", "/usr/lib/lv2/dpl.lv2/manifest.ttl"});
}

// A compressor, whose default threshold lies below the sine's peaks.
TEST_F(CPluginRealEffectTest, AVSTEffectFiltersASine)
{
    ExpectEffectFiltersASine({"lsp-plugins-vst", "VST", "/usr/lib/vst/lsp-plugins/compressor-stereo.so",
                              "/usr/lib/vst/lsp-plugins/compressor-stereo.so"});
}

}  // namespace
