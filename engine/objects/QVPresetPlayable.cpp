#include "QVPresetPlayable.h"

#include "AKFileTypedIO.h"
#include "AKValueTyped.h"
#include "QVObjectPlayable.h"

#include <cmath>

QVPresetPlayable const kQVNullPresetPlayable{};

namespace {

constexpr double kScalarTolerance = 0.001;
constexpr double kVolumeTolerance = 0.01;

char const* const kKey_ID = "ID";

struct RealKey {
    char const* key;
    char const* fallback;  // an older name, read only
    double QVPresetPlayable::*member;
};

RealKey const kRealKeys[] = {
    {"Time", nullptr, &QVPresetPlayable::time},     {"Span", nullptr, &QVPresetPlayable::span},
    {"Speed", nullptr, &QVPresetPlayable::speed},   {"SpeedWow", "Wow", &QVPresetPlayable::wow},
    {"SpeedSubx", "Subx", &QVPresetPlayable::subx}, {"Volume", nullptr, &QVPresetPlayable::volume},
    {"Panora", nullptr, &QVPresetPlayable::panora}, {"Fadio", nullptr, &QVPresetPlayable::fadio},
};

bool Near(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance; }

// The ends are exact: from + (to - from) may differ from to by rounding.
double Between(double from, double to, double x)
{
    if (x <= 0.0)
        return from;
    return x >= 1.0 ? to : from + (to - from) * x;
}

// Plays, rewinds, forwards or scrubs.
bool IsMoving(QVObjectPlayable const& playable)
{
    return playable.IsUserPlay() || playable.IsUserRewind() || playable.IsUserForward() || playable.IsUserScrub();
}

// Neither the playable plays nor, for a sub, a multi-player above it moves.
bool IsAtRest(QVObjectPlayable const& playable)
{
    if (playable.IsUserPlay())
        return false;
    if (!QVPlayableKindIsSub(playable.GetKind()))
        return true;
    for (QVObjectPlayable const* up = playable.GetFLParentPlayable(); up != nullptr; up = up->GetFLParentPlayable())
        if (QVPlayableKindIsCursor(up->GetKind()) && IsMoving(*up))
            return false;
    return true;
}

}  // namespace

bool QVPresetPlayable::AreEqualScalars(QVPresetPlayable const& other) const
{
    return Near(speed, other.speed, kScalarTolerance) && Near(wow, other.wow, kScalarTolerance) &&
           Near(subx, other.subx, kScalarTolerance) && Near(volume, other.volume, kVolumeTolerance) &&
           Near(panora, other.panora, kScalarTolerance) && Near(fadio, other.fadio, kScalarTolerance);
}

void QVPresetPlayable::FillWithInperpolatedScalars(QVPresetPlayable const& from, QVPresetPlayable const& to, double x)
{
    for (RealKey const& key : kRealKeys)
        this->*key.member = Between(from.*key.member, to.*key.member, x);
}

int QVPresetPlayable::ReadFromFile(AKFile const& file)
{
    int status = AKFileReadAKNodeID(file, &ID);
    for (unsigned int i = 0; status == 0 && i < sizeof(kRealKeys) / sizeof(kRealKeys[0]); ++i)
        status = AKFileReadFloat64(file, &(this->*kRealKeys[i].member));
    return status;
}

int QVPresetPlayable::WriteToFile(AKFile& file) const
{
    int status = AKFileWriteAKNodeID(file, ID);
    for (unsigned int i = 0; status == 0 && i < sizeof(kRealKeys) / sizeof(kRealKeys[0]); ++i)
        status = AKFileWriteFloat64(file, this->*kRealKeys[i].member);
    return status;
}

void QVPresetPlayable::ReadFromValue(AKDictionary const& dictionary)
{
    AKValueGetasAKNodeID(dictionary.GetValue(kKey_ID), &ID);
    for (RealKey const& key : kRealKeys) {
        double* member = &(this->*key.member);
        if (!AKValueGetasFloat64(dictionary.GetValue(key.key), member, true) && key.fallback != nullptr)
            AKValueGetasFloat64(dictionary.GetValue(key.fallback), member, true);
    }
}

int QVPresetPlayable::WriteToValue(AKDictionary* dictionary) const
{
    int status = dictionary->SetValue(kKey_ID, AKValueSetasAKNodeID(ID));
    for (unsigned int i = 0; status == 0 && i < sizeof(kRealKeys) / sizeof(kRealKeys[0]); ++i)
        status = dictionary->SetValue(kRealKeys[i].key, AKValueSetasFloat64(this->*kRealKeys[i].member));
    return status;
}

void QVPlayableGetUserParamsAsPreset(QVObjectPlayable const& playable, QVPresetPlayable* entry)
{
    entry->link = const_cast<QVObjectPlayable*>(&playable);
    entry->ID = playable.GetID();
    entry->skip = false;
    entry->time = playable.GetUserTime();
    entry->span = playable.GetUserSpan();
    entry->speed = playable.GetUserSpeed();
    entry->wow = playable.GetUserSpeedWow();
    entry->subx = playable.GetUserSpeedSubx();
    entry->volume = playable.GetUserVolume();
    entry->panora = playable.GetUserPanora();
    entry->fadio = playable.GetUserFadio();
}

bool QVPlayableSetUserParamsFromPreset(QVObjectPlayable& playable, QVPresetPlayable const& entry,
                                       QVPresetApplyMode mode)
{
    QVPlayableKind const kind = playable.GetKind();
    bool const isCursor = QVPlayableKindIsCursor(kind);
    bool const isSequence = QVPlayableKindIsSequence(kind);
    bool changed = false;
    if (!playable.IsUserScrub()) {
        bool const timeStep = (mode & kQVPresetApplyTime) != 0 && IsAtRest(playable);
        if (timeStep && playable.GetUserTime() != entry.time)
            changed |= playable.LowSetUserTimeAndSpan(entry.time, NAN, false);
        bool const playingCursor = isCursor && playable.IsUserPlay() && (mode & kQVPresetApplyScalars) != 0;
        if ((isSequence || isCursor) && (timeStep || playingCursor)) {
            double const span = QVObjectPlayable::LowCheckSpanDuration(kind, entry.span);
            if (playable.GetUserSpan() != span)
                changed |= playable.LowSetUserTimeAndSpan(NAN, span, false);
        }
    }
    if ((mode & kQVPresetApplyScalars) != 0) {
        if (!isSequence) {
            changed |= playable.SetUserSpeed(entry.speed);
            changed |= playable.SetUserSpeedWow(entry.wow);
        }
        if (isCursor)
            changed |= playable.SetUserSpeedSubx(entry.subx);
        changed |= playable.SetUserVolume(entry.volume);
        changed |= playable.SetUserPanora(entry.panora);
        changed |= playable.SetUserFadio(entry.fadio);
    }
    return changed;
}
