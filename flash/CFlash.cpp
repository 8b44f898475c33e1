#include "flash/CFlash.h"

#include "ui/UiThread.h"

#include <QPainter>
#include <vector>

namespace vidorama {

using flash::DispId;
using flash::InvokeKind;
using flash::Variant;

CFlash::CFlash(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CFlash::~CFlash() = default;

void CFlash::Attach(std::unique_ptr<flash::IFlashControl> control) {
    m_control = std::move(control);
    if (m_control)
        m_control->SetRepaintRequest([this] { update(); });
}

Variant CFlash::Call(DispId id, InvokeKind kind, std::initializer_list<Variant> args) {
    std::vector<Variant> arguments(args);
    return CallOnOwnerThread(this, [&]() -> Variant {
        return m_control ? m_control->Invoke(id, kind, arguments) : Variant{};
    });
}

std::int32_t CFlash::CallLong(DispId id, InvokeKind kind) {
    Variant result = Call(id, kind);
    if (const auto* value = std::get_if<std::int32_t>(&result))
        return *value;
    return 0;
}

std::int32_t CFlash::TotalFrames() {
    return CallLong(DispId::TotalFrames, InvokeKind::PropertyGet);
}
void CFlash::SetPlaying(bool playing) {
    Call(DispId::Playing, InvokeKind::PropertyPut, {playing});
}
std::int32_t CFlash::ScaleMode() {
    return CallLong(DispId::ScaleMode, InvokeKind::PropertyGet);
}
void CFlash::SetScaleMode(std::int32_t mode) {
    Call(DispId::ScaleMode, InvokeKind::PropertyPut, {mode});
}
void CFlash::SetLoop(bool loop) {
    Call(DispId::Loop, InvokeKind::PropertyPut, {loop});
}
std::int32_t CFlash::FrameNum() {
    return CallLong(DispId::FrameNum, InvokeKind::PropertyGet);
}
void CFlash::SetFrameNum(std::int32_t frame) {
    Call(DispId::FrameNum, InvokeKind::PropertyPut, {frame});
}
void CFlash::Play() {
    Call(DispId::Play, InvokeKind::Method);
}
void CFlash::Stop() {
    Call(DispId::Stop, InvokeKind::Method);
}
void CFlash::StopPlay() {
    Call(DispId::StopPlay, InvokeKind::Method);
}
void CFlash::GotoFrame(std::int32_t frame) {
    Call(DispId::GotoFrame, InvokeKind::Method, {frame});
}
std::int32_t CFlash::CurrentFrame() {
    return CallLong(DispId::CurrentFrame, InvokeKind::Method);
}
void CFlash::SetMenu(bool enabled) {
    Call(DispId::Menu, InvokeKind::PropertyPut, {enabled});
}

bool CFlash::IsPlaying() {
    Variant result = Call(DispId::IsPlaying, InvokeKind::Method);
    const auto* value = std::get_if<bool>(&result);
    return value && *value;
}

void CFlash::LoadMovie(std::int32_t layer, const std::string& url) {
    Call(DispId::LoadMovie, InvokeKind::Method, {layer, url});
}

void CFlash::PaintInto(QImage& target) {
    CallOnOwnerThread(this, [&] {
        if (m_control)
            m_control->Paint(target);
        else
            target.fill(Qt::white);
    });
}

void CFlash::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0)
        return;
    if (m_frame.size() != size())
        m_frame = QImage(size(), QImage::Format_RGB32);
    PaintInto(m_frame);
    QPainter(this).drawImage(0, 0, m_frame);
}

} // namespace vidorama
