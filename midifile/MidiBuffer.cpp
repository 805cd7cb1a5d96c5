#include "midifile/MidiBuffer.h"

#include <new>

#include "platform/regular_file.h"

namespace midifile {

MidiBuffer::MidiBuffer(const char* path, std::FILE* file, int mode) : path_(path) {
    if (file != nullptr) {
        file_ = file;  // used as it stands: read mode, not ours to close
    } else {
        writeMode_ = mode == Write;
        // Only a regular file is read: opened plainly, a FIFO would hold the reader for good.
        if (path != nullptr) file_ = writeMode_ ? std::fopen(path, "wb") : platform::OpenRegularFile(path);
        // The window is the write buffer; unbuffered, a full disk shows at the flush that failed.
        if (writeMode_ && file_ != nullptr) std::setvbuf(file_, nullptr, _IONBF, 0);
        fileOwned_ = file_ != nullptr;
    }
    if (!writeMode_ && file_ != nullptr) {
        if (std::fseek(file_, 0, SEEK_END) == 0) {
            long end = std::ftell(file_);
            size_ = end > 0 ? end : 0;
        }
        std::fseek(file_, 0, SEEK_SET);
    }
    if (!writeMode_ && mode == WholeFileRead && size_ > 0) {
        buffer_ = new (std::nothrow) uint8_t[static_cast<size_t>(size_)];
        if (buffer_ != nullptr) {
            capacity_ = size_;
            if (BlockAt(0, size_) == nullptr) {
                // The file could not be loaded: fall back to the window, which retries per block.
                delete[] buffer_;
                buffer_ = nullptr;
                capacity_ = 0;
                winLen_ = 0;
            }
        }
    }
    if (file_ != nullptr && buffer_ == nullptr) {
        buffer_ = new (std::nothrow) uint8_t[WindowSize];
        if (buffer_ != nullptr) capacity_ = WindowSize;
    }
    if (buffer_ == nullptr) {
        capacity_ = InlineSize;
        buffer_ = inline_;
        bufferOwned_ = false;
    }
}

MidiBuffer::~MidiBuffer() {
    CloseFile();
    if (bufferOwned_) delete[] buffer_;
}

void MidiBuffer::OnError(const char* text) {
    std::fprintf(stderr, "error: %s\n", text);
}

void MidiBuffer::OnWarning(const char* text) {
    std::fprintf(stderr, "warning: %s\n", text);
}

void MidiBuffer::ReportError(const char* text) {
    errorSeen_ = true;
    OnError(text);
}

bool MidiBuffer::FlushWindow() {
    if (!writeMode_ || file_ == nullptr || winLen_ == 0) return true;
    if (std::fseek(file_, static_cast<long>(winStart_), SEEK_SET) != 0 ||
        std::fwrite(buffer_, 1, static_cast<size_t>(winLen_), file_) != static_cast<size_t>(winLen_)) {
        // Errors stick: the first is reported, later failures of the same file are not repeated.
        if (!errorSeen_) ReportError("write error (maybe disk full)");
        return false;
    }
    winLen_ = 0;
    return true;
}

bool MidiBuffer::CloseFile() {
    bool ok = FlushWindow();
    if (file_ != nullptr && fileOwned_) {
        if (std::fclose(file_) != 0 && ok) {
            ReportError("write error (maybe disk full)");
            ok = false;
        }
        file_ = nullptr;
    }
    return ok;
}

uint8_t* MidiBuffer::BlockAtSlow(int64_t offset, int64_t n) {
    if (offset < 0 || n < 0 || buffer_ == nullptr || n > capacity_) return nullptr;
    if (!writeMode_) {
        if (offset > size_ - n) return nullptr;
        if (file_ != nullptr && (offset < winStart_ || offset + n > winStart_ + winLen_)) {
            winStart_ = offset;
            winLen_ = AvailableAt(offset);
            if (winLen_ > 0 && (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0 ||
                                std::fread(buffer_, 1, static_cast<size_t>(winLen_), file_) !=
                                    static_cast<size_t>(winLen_))) {
                winLen_ = 0;
                return nullptr;
            }
            return buffer_;
        }
        if (offset >= winStart_ && offset + n <= winStart_ + winLen_) return buffer_ + (offset - winStart_);
        return nullptr;
    }
    if (offset > size_) return nullptr;
    if (file_ != nullptr) {
        bool keep =
            offset >= winStart_ && offset <= winStart_ + winLen_ && offset + n <= winStart_ + capacity_;
        if (!keep) {
            FlushWindow();
            winStart_ = offset;
            winLen_ = n;
        }
    } else if (offset < winStart_ || offset + n > winStart_ + capacity_) {
        // Without a file everything stays in the inline buffer; a block past it is refused.
        return nullptr;
    }
    if (offset + n > winStart_ + winLen_) winLen_ = offset + n - winStart_;
    if (offset + n > size_) size_ = offset + n;
    return buffer_ + (offset - winStart_);
}

}  // namespace midifile
