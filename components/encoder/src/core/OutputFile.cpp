#include "core/OutputFile.h"

#include <cstdio>
#include <filesystem>

namespace vidorama::encoder {

OutputFile::~OutputFile() {
    abandon();
}

Status OutputFile::create(const std::string& path, const ContainerPlan& container) {
    abandon();
    const int result = avformat_alloc_output_context2(&m_context, nullptr,
                                                      container.muxerName.c_str(), path.c_str());
    if (result < 0 || !m_context)
        return Status::fromAvError("Creating the " + container.muxerName + " container", result);
    m_path = path;
    m_muxerOptions = container.muxerOptions;
    return Status::success();
}

AVStream* OutputFile::addStream() {
    return m_context ? avformat_new_stream(m_context, nullptr) : nullptr;
}

bool OutputFile::wantsGlobalHeader() const {
    return m_context && (m_context->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

Status OutputFile::writeHeader() {
    if (!m_context)
        return Status::failure(ErrorKind::NotOpen, "No container has been created.");
    if (!(m_context->oformat->flags & AVFMT_NOFILE)) {
        // Only a regular file of ours is removed after a failure; a device or
        // pipe the caller named stays, whatever happens.
        std::error_code error;
        const auto type = std::filesystem::status(m_path, error).type();
        m_removable = type == std::filesystem::file_type::not_found ||
                      type == std::filesystem::file_type::regular;
        const int opened = avio_open(&m_context->pb, m_path.c_str(), AVIO_FLAG_WRITE);
        if (opened < 0)
            return Status::fromAvError("Opening " + m_path + " for writing", opened);
        m_fileCreated = true;
    }
    AVDictionary* options = nullptr;
    for (const auto& [key, value] : m_muxerOptions)
        av_dict_set(&options, key.c_str(), value.c_str(), 0);
    const int written = avformat_write_header(m_context, &options);
    av_dict_free(&options);
    if (written < 0)
        return Status::fromAvError("Writing the file header", written);
    return Status::success();
}

Status OutputFile::writePacket(AVPacket& packet, AVRational codecTimeBase, const AVStream& stream) {
    av_packet_rescale_ts(&packet, codecTimeBase, stream.time_base);
    packet.stream_index = stream.index;
    // The interleaving call takes the packet's reference whatever happens.
    const int result = av_interleaved_write_frame(m_context, &packet);
    if (result < 0)
        return Status::fromAvError("Writing a packet", result);
    return Status::success();
}

Status OutputFile::finish() {
    if (!m_context)
        return Status::success();
    const int trailer = av_write_trailer(m_context);
    int closed = 0;
    if (m_context->pb)
        closed = avio_closep(&m_context->pb);
    if (trailer < 0 || closed < 0) {
        const Status failed =
            Status::fromAvError("Completing the file", trailer < 0 ? trailer : closed);
        abandon();
        return failed;
    }
    m_fileCreated = false;
    release();
    return Status::success();
}

void OutputFile::abandon() {
    if (!m_context)
        return;
    if (m_context->pb)
        avio_closep(&m_context->pb);
    if (m_fileCreated && m_removable)
        std::remove(m_path.c_str());
    m_fileCreated = false;
    release();
}

void OutputFile::release() {
    avformat_free_context(m_context);
    m_context = nullptr;
    m_path.clear();
    m_muxerOptions.clear();
}

} // namespace vidorama::encoder
