#include "core/jukebox/party_play_credits.h"

#include <algorithm>

#include "core/base/string_lists.h"

namespace tunecrest {

std::string AddedTracksStatusText(int count) {
    return "Added " + std::to_string(count) + " Track" + (count == 1 ? "" : "s") + " to the Queue";
}

int CreditsAfterKey(int credits, TcreditKey key, int digit) {
    long long result = credits;
    switch (key) {
        case TcreditKey::ckDigit:
            result += digit == 0 ? 10 : std::clamp(digit, 0, 9);
            break;
        case TcreditKey::ckPlus:
            result += 1;
            break;
        case TcreditKey::ckMinus:
            result -= 1;
            break;
        case TcreditKey::ckDecimal:
            result = 0;
            break;
    }
    return int(std::clamp<long long>(result, 0, 0x7fffffff));
}

TaddSelectedResult AddSelectedRowsToQueue(const TaddSelectedRows& rows, bool creditMode, int credits) {
    TaddSelectedResult result;
    credits = std::max(credits, 0);
    TmyStringList collected;
    for (int row = 0; row < rows.RowCount; ++row) {
        if (!rows.IsSelected(row)) continue;
        if (creditMode && collected.Count() >= credits) {
            result.OutOfCredits = true;
            if (rows.ShowNoCredits) rows.ShowNoCredits();
            break;
        }
        TaudioTagPtr tag = rows.TagOf(row);
        if (!tag) continue;
        collected.AddObject(tag->Filename().str(), tag);
        if (rows.Deselect) rows.Deselect(row);
    }
    result.Collected = collected.Count();
    // The collected list goes to the queue even when empty, as the queue expects one call.
    const int accepted = rows.AddToQueue ? rows.AddToQueue(collected) : 0;
    result.Queued = std::clamp(accepted, 0, result.Collected);
    result.CreditsLeft = creditMode ? credits - result.Queued : credits;
    return result;
}

}  // namespace tunecrest
