#pragma once
// A tag source over a tagger plug-in's record, so that a tag fills itself from the
// plug-in after it has read a file. Every buffer handed to the plug-in carries its size
// and is terminated again after the call, whatever the plug-in wrote.
#include "core/tags/audio_tag.h"
#include "plugins/tagger_plugin.h"

namespace tunecrest {

class TtaggerRecordSource : public TtagSource {
public:
    explicit TtaggerRecordSource(const TtaggerRecord* record) : Frecord(record) {}
    std::string Artist() override { return Text(Frecord->Artist); }
    std::string Title() override { return Text(Frecord->Title); }
    std::string Album() override { return Text(Frecord->Album); }
    std::string Comment() override { return Text(Frecord->Comment); }
    uint32_t TrackNo() override { return uint32_t(Frecord->TrackNo); }
    std::string Date() override { return Text(Frecord->Date); }
    uint32_t GenreID() override { return uint32_t(Frecord->GenreID); }
    std::string GenreString() override { return Text(Frecord->GenreString); }
    uint32_t BitRate() override { return uint32_t(Frecord->BitRate); }
    uint32_t Duration() override { return uint32_t(Frecord->Duration); }
    uint32_t SampleRate() override { return uint32_t(Frecord->SampleRate); }
    uint32_t Channels() override { return uint32_t(Frecord->Channels); }
    uint32_t MediaType() override { return uint32_t(Frecord->MediaType); }
    std::string TagType() override { return Text(Frecord->TagType); }
    int ExtraFieldCount() override;
    void GetExtraField(int index, std::string& name, std::string& value) override;

private:
    static std::string Text(TtaggerTextGetter getter);
    const TtaggerRecord* Frecord;
};

}  // namespace tunecrest
