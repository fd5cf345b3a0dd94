#pragma once
// Queueing the selected rows of the track list, with credit mode: each queued track costs
// one credit. Credits are charged only for the tracks the queue really took (a full queue or
// a refused duplicate costs nothing), and the status text counts those tracks.
#include <functional>
#include <string>
#include <vector>

#include "core/tags/audio_tag.h"

namespace tunecrest {

class TmyStringList;

inline constexpr const char* NoCreditsLeftText = "There are no credits left.\r\n\r\nPlease add more credits.";

// "Added %d Track%s to the Queue": no "s" only for exactly one track.
std::string AddedTracksStatusText(int count);

// Credits from the numeric keypad: digits 1 to 9 add that many, 0 adds 10, + adds 1,
// - takes 1, the decimal point takes all. The result never goes below 0.
enum class TcreditKey { ckDigit, ckPlus, ckMinus, ckDecimal };
int CreditsAfterKey(int credits, TcreditKey key, int digit = 0);

struct TaddSelectedRows {
    int RowCount = 0;
    std::function<bool(int row)> IsSelected;
    std::function<TaudioTagPtr(int row)> TagOf;
    std::function<void(int row)> Deselect;
    // Hands the collected tracks to the queue and answers how many it accepted.
    std::function<int(const TmyStringList& tags)> AddToQueue;
    // Asked once when credit mode runs out of credits before the selection is done.
    std::function<void()> ShowNoCredits;
};

struct TaddSelectedResult {
    int Collected = 0;    // tracks handed to the queue
    int Queued = 0;       // tracks the queue accepted
    int CreditsLeft = 0;  // credits after the charge
    bool OutOfCredits = false;
};

// Walks the rows in order. In credit mode a track is collected only while a credit is left
// for it; the walk stops at the first selected row that finds none (the message is shown
// once). Collected rows are deselected; the tracks are queued together, and only the
// accepted ones are charged.
TaddSelectedResult AddSelectedRowsToQueue(const TaddSelectedRows& rows, bool creditMode, int credits);

}  // namespace tunecrest
