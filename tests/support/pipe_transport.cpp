#include "support/pipe_transport.h"

#include <algorithm>

PipeTransport::PipeTransport() {
    a_.pipe_ = this;
    a_.peer_ = &b_;
    b_.pipe_ = this;
    b_.peer_ = &a_;
}

int PipeTransport::End::Write(const unsigned char* data, int count) {
    if (pipe_->broken_ || count < 0 || (count > 0 && data == nullptr)) return -1;
    if (count == 0) return 0;
    peer_->inbox_.insert(peer_->inbox_.end(), data, data + count);
    written_ += static_cast<std::size_t>(count);
    if (peer_->arrival_) {
        // Copy the hook: it may replace itself while it runs.
        auto hook = peer_->arrival_;
        hook();
    }
    return count;
}

int PipeTransport::End::Read(unsigned char* buffer, int maximum) {
    if (inbox_.empty()) return pipe_->broken_ ? -1 : 0;
    if (maximum <= 0 || buffer == nullptr) return 0;
    int n = static_cast<int>(std::min<std::size_t>(inbox_.size(), static_cast<std::size_t>(maximum)));
    std::copy_n(inbox_.begin(), n, buffer);
    inbox_.erase(inbox_.begin(), inbox_.begin() + n);
    return n;
}

int PipeTransport::End::BytesWaiting() const { return static_cast<int>(inbox_.size()); }

bool PipeTransport::End::SetRts(int state, int mode) {
    rtsState_ = state;
    rtsMode_ = mode;
    ++rtsCalls_;
    return !pipe_->broken_;
}

bool PipeTransport::End::Close() {
    ++closes_;
    if (close_) {
        auto hook = close_;
        hook();
    }
    return !failClose_;
}
