#pragma once
// Valid inputs for each fuzz target, built with the system's own writers.
#include <map>
#include <string>
#include <vector>

#include "core/csv_text.h"
#include "core/playlist_text.h"

namespace tunecrest::fuzz {

inline std::map<std::string, std::vector<std::string>> Seeds() {
    std::map<std::string, std::vector<std::string>> seeds;
    std::string header, row;
    GetCSVHeader(header);
    JoinCSV({"/m/a,b.mp3", "say \"hi\"", "two\r\nlines", " lead", "", "42"}, row);
    seeds["csv"] = {header + "\r\n" + row + "\r\n", "a,b,c\nd,\"e\nf\",g\n"};
    seeds["m3u"] = {std::string(kExtM3UHeader) + "\n" + ExtInfLine(215, "Band - Song") + "\nsong.mp3\n" +
                        ExtInfLine(0, "Dummy Entry") + "\nDoesNotExist\n",
                    "sub\\dir\\x.mp3\r\n../y.mp3\r\n/abs/z.mp3\r\nhttp://radio.example/s\r\n"};
    return seeds;
}

}  // namespace tunecrest::fuzz
