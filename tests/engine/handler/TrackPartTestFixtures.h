#pragma once

// A document tree of the test document type with its engine handler and an
// open history, whose tracks hold zones of sound IDs that no sound backs, and
// the pictures the track-part tests compare: every track's zones as text and
// the tree's whole binary form.

#include "AKFile.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreePasteboard.h"
#include "AKTreeSel.h"
#include "QVDocumentTreeGuard.h"
#include "QVTrackZoneFixtures.h"
#include "QVTreeHandler.h"
#include "SequenceTestFixtures.h"
#include "MemoryStreamBytes.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

// Zones of the IDs, each playing [0, duration] of its sound.
inline QVTrackZoneArray TrackPartZones(std::initializer_list<QVProviderID> ids, double duration)
{
    QVTrackZoneArray zones;
    for (QVProviderID id : ids)
        zones.Push(QVTrackZone::Make(id, 0.0, duration));
    zones.UpdateZonesLocalTime(nullptr, nullptr);
    return zones;
}

inline std::vector<unsigned char> TrackPartTreeBytes(AKTree const& tree)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(tree.WriteToBinFile(file), 0);
    return MemoryStreamBytes(file);
}

struct TrackPartDoc {
    QVDocumentTreeGuard guard;
    AKTree tree{0};
    QVTreeHandler handler{&tree, &guard};

    // Intro: tracks A (sounds 1, 2), B (3), C (4, 5, 6), a single player;
    // Coda: track D (7); every zone 1 s long. A free single player.
    void LoadStandard()
    {
        AKDictionary const form = SeqDocument(
            {SeqNode("sequenc", "Intro",
                     {SeqNode("track", "A"), SeqNode("track", "B"), SeqNode("track", "C"), SeqNode("atomic", "Lead")}),
             SeqNode("sequenc", "Coda", {SeqNode("track", "D")})},
            {SeqNode("atomic", "Free")});
        ASSERT_EQ(tree.InitFromDictionary(form, SequenceTestDocumentType(), nullptr), 0);
        handler.SynchronizeFLFastLinks();
        Track(0, 0)->InitWithTrackZones(TrackPartZones({1, 2}, 1.0));
        Track(0, 1)->InitWithTrackZones(TrackPartZones({3}, 1.0));
        Track(0, 2)->InitWithTrackZones(TrackPartZones({4, 5, 6}, 1.0));
        Track(1, 0)->InitWithTrackZones(TrackPartZones({7}, 1.0));
        handler.SynchronizeFLFastLinks();
        ASSERT_EQ(handler.ReopenHistory(), 0);
    }
    QVObjectSequence* Sequence(unsigned int index) const
    {
        return static_cast<QVObjectSequence*>(handler.GetFLSequences()[index]);
    }
    QVObjectTrack* Track(unsigned int sequence, unsigned int index) const
    {
        QVObjectTrackArray tracks;
        QVObject_ResolveSequenceAndTracks(Sequence(sequence), &tracks, false);
        return index < tracks.Count() ? tracks[index] : nullptr;
    }
    std::string Zones(unsigned int sequence, unsigned int index) const
    {
        return zonefixtures::Describe(Track(sequence, index)->GetTrackZones());
    }
    // Every track of every sequence, "|" between tracks, "||" between sequences.
    std::string AllZones() const
    {
        std::string text;
        for (unsigned int s = 0; s < handler.GetFLSequences().Count(); ++s) {
            if (s != 0)
                text += " || ";
            QVObjectTrackArray tracks;
            QVObject_ResolveSequenceAndTracks(Sequence(s), &tracks, false);
            for (unsigned int t = 0; t < tracks.Count(); ++t) {
                if (t != 0)
                    text += " | ";
                text += zonefixtures::Describe(tracks[t]->GetTrackZones());
            }
        }
        return text;
    }
    AKTreeActionParam Selecting(std::vector<AKObject*> const& objects, AKTimeIntv range, bool withRange = true)
    {
        ATObjectArray<AKObject> list;
        for (AKObject* object : objects)
            list.Push(object);
        AKTreeActionParam param(&tree);
        param.SetActionName(8286, AKString("Track Edit"));
        param.WithTreeObjects(list);
        if (withRange) {
            AKTreeSel selection = param.GetTreeSel();
            selection.SetTimeSel(range);
            param.WithTreeSel(selection);
        }
        return param;
    }
    int Undo(AKTreeActionParam* out = nullptr)
    {
        AKTreeActionParam param(&tree);
        int const status = handler.DoUndo(param);
        if (out != nullptr)
            *out = param;
        return status;
    }
    int Redo(AKTreeActionParam* out = nullptr)
    {
        AKTreeActionParam param(&tree);
        int const status = handler.DoRedo(param);
        if (out != nullptr)
            *out = param;
        return status;
    }
    unsigned int UndoSteps() const { return handler.GetHistory().GetCurrentPosition(); }
};
