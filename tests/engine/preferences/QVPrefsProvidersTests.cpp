// The provider, envelope and diagnostic preferences: their ranges, and the
// copies the audio resources read.

#include "QVAudioResourcePrefs.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(QVPrefsProvidersTest, DefaultsRangesAndPublication)
{
    QVPrefs prefs;
    prefs.SetupDefaults();
    EXPECT_TRUE(prefs.GetProviderPreferSysReader());
    EXPECT_TRUE(prefs.GetProviderUseMemoryMapping());
    EXPECT_EQ(prefs.GetProviderSimultaneousLoad(), 3u);
    EXPECT_EQ(prefs.GetProviderSoundMaxSizeMB(), 2000u);
    EXPECT_EQ(prefs.GetProviderReadBlockSizeMB(), 8u);
    EXPECT_FALSE(prefs.GetEnvelopeAlwaysAsWaveform());
    EXPECT_EQ(prefs.GetEnvelopeMoreResolutionCoeff(), 2.0);
    EXPECT_EQ(prefs.GetEnvelopeMemoryOptimizationLevel(), 1u);
    EXPECT_EQ(prefs.GetInternalVerboseLevel(), 1u);

    QVAudioResourcePrefs const saved = QVAudioResourcePrefs::sShared;
    unsigned int const stamp = prefs.GetChangeStamp();
    EXPECT_TRUE(prefs.SetProviderSimultaneousLoad(0));
    EXPECT_EQ(prefs.GetProviderSimultaneousLoad(), 1u);
    EXPECT_TRUE(prefs.SetProviderSimultaneousLoad(99));
    EXPECT_EQ(prefs.GetProviderSimultaneousLoad(), 20u);
    EXPECT_FALSE(prefs.SetProviderSimultaneousLoad(25));  // kept at 20: no change
    EXPECT_TRUE(prefs.SetProviderSoundMaxSizeMB(5000));
    EXPECT_EQ(prefs.GetProviderSoundMaxSizeMB(), 2040u);
    EXPECT_TRUE(prefs.SetProviderReadBlockSizeMB(0));
    EXPECT_EQ(prefs.GetProviderReadBlockSizeMB(), 1u);
    EXPECT_TRUE(prefs.SetEnvelopeMoreResolutionCoeff(0.1));
    EXPECT_EQ(prefs.GetEnvelopeMoreResolutionCoeff(), 0.5);
    EXPECT_FALSE(prefs.SetEnvelopeMoreResolutionCoeff(std::nan("")));
    EXPECT_TRUE(prefs.SetEnvelopeMemoryOptimizationLevel(7));
    EXPECT_EQ(prefs.GetEnvelopeMemoryOptimizationLevel(), 2u);
    EXPECT_TRUE(prefs.SetInternalVerboseLevel(12));
    EXPECT_EQ(prefs.GetInternalVerboseLevel(), 9u);
    EXPECT_TRUE(prefs.SetProviderUseMemoryMapping(false));
    EXPECT_TRUE(prefs.IsModified());
    EXPECT_EQ(prefs.GetChangeStamp(), stamp + 8);

    QVAudioResourcePrefs const& audio = QVAudioResourcePrefs::sShared;
    EXPECT_FALSE(audio.providerUseMemoryMapping);
    EXPECT_EQ(audio.providerSimultaneousLoad, 20u);
    EXPECT_EQ(audio.providerSoundMaxSizeMB, 2040u);
    EXPECT_EQ(audio.providerReadBlockSizeMB, 1u);
    EXPECT_EQ(audio.envelopeMoreResolutionCoeff, 0.5);
    EXPECT_EQ(audio.envelopeMemoryOptimizationLevel, 2u);
    EXPECT_EQ(audio.internalVerboseLevel, 9u);
    QVAudioResourcePrefs::sShared = saved;
}

}  // namespace
