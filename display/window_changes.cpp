#include "display/window_changes.h"

#include <algorithm>

namespace tarvisk {

namespace {

template <size_t N>
void CopyText(std::array<char, N>& to, std::string_view text) {
    const size_t n = std::min(text.size(), N - 1);
    std::copy_n(text.data(), n, to.data());
    to[n] = '\0';
}

}  // namespace

ImageRect WindowChangeSet::ImageBounds() const {
    if (imageParts.Empty())
        return {0, 0, 0, 0};
    Rect box = imageParts[0];
    for (const Rect& r : imageParts)
        box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
               std::max(box.bottom, r.bottom)};
    return ImageRectOf(box);
}

void WindowChanges::AddImagePart(const ImageRect& rect) {
    if (rect.width <= 0 || rect.height <= 0)
        return;
    pending_.imageParts.Add({rect.x, rect.y, rect.x + rect.width, rect.y + rect.height});
    pending_.image = true;
}

void WindowChanges::ImageChanged(const ImageRect& rect) {
    std::lock_guard lock(mutex_);
    AddImagePart(rect);
}

void WindowChanges::ImagePartsChanged(const ImageParts& parts) {
    std::lock_guard lock(mutex_);
    for (int32_t i = 0; i < parts.count; ++i)
        AddImagePart(parts.rects[size_t(i)]);
}

void WindowChanges::ImageCopied() {
    std::lock_guard lock(mutex_);
    pending_.image = false;
    pending_.imageParts.Clear();
}

void WindowChanges::ActivityToggled(bool replyArrived) {
    std::lock_guard lock(mutex_);
    ++pending_.activityToggles;
    pending_.activityShown = replyArrived;
}

void WindowChanges::ActivityCleared() {
    std::lock_guard lock(mutex_);
    // Toggles before the clear no longer matter: the clear resets the blinker.
    pending_.activityCleared = true;
    pending_.activityToggles = 0;
}

void WindowChanges::DialMoved(float bearingDegrees) {
    std::lock_guard lock(mutex_);
    pending_.dial = true;
    pending_.bearingDegrees = bearingDegrees;
}

void WindowChanges::ShotReadoutsChanged() {
    std::lock_guard lock(mutex_);
    pending_.shotReadouts = true;
}

void WindowChanges::StatusBox(std::string_view text, PaletteColour textColour, PaletteColour fill,
                              PaletteColour frame) {
    std::lock_guard lock(mutex_);
    // Each box erases the one before it, so only the last one of a frame needs drawing.
    pending_.statusBox = true;
    CopyText(pending_.status.text, text);
    pending_.status.textColour = textColour;
    pending_.status.fill = fill;
    pending_.status.frame = frame;
}

void WindowChanges::GridLabelChanged() {
    std::lock_guard lock(mutex_);
    pending_.gridLabel = true;
}

void WindowChanges::DateTime(std::string_view text) {
    std::lock_guard lock(mutex_);
    pending_.dateTime = true;
    CopyText(pending_.dateTimeText, text);
}

void WindowChanges::MeasureLineChanged() {
    std::lock_guard lock(mutex_);
    pending_.measureLine = true;
}

void WindowChanges::MeasureReadoutsChanged() {
    std::lock_guard lock(mutex_);
    pending_.measureReadouts = true;
}

void WindowChanges::MagnifierChanged() {
    std::lock_guard lock(mutex_);
    pending_.magnifier = true;
}

WindowChangeSet WindowChanges::Take() {
    std::lock_guard lock(mutex_);
    WindowChangeSet taken = pending_;
    pending_ = WindowChangeSet{};
    return taken;
}

}  // namespace tarvisk
