#pragma once

#include "core/OutputPlan.h"
#include "core/Status.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <string>

namespace vidorama::encoder {

// One container file being written. It follows the order FFmpeg's muxers
// expect: create the context, add the streams, open the file and write the
// header, write packets interleaved by time, write the trailer. A file that
// was created but never completed is removed, so a failed or abandoned output
// leaves nothing behind.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    Status create(const std::string& path, const ContainerPlan& container);
    AVStream* addStream();
    // Codecs must put their headers out of band for some containers.
    bool wantsGlobalHeader() const;
    Status writeHeader();
    // Takes the packet's content; its timestamps are in codecTimeBase.
    Status writePacket(AVPacket& packet, AVRational codecTimeBase, const AVStream& stream);
    Status finish();
    void abandon();

private:
    void release();

    AVFormatContext* m_context = nullptr;
    std::string m_path;
    OptionList m_muxerOptions;
    bool m_fileCreated = false;
    bool m_removable = false;
};

} // namespace vidorama::encoder
