#include "imaging/sonar_drawing.h"

#include <mutex>

#include "imaging/grid.h"
#include "imaging/side_scan.h"

namespace tarvisk {
namespace {
ImageViewHook& NoView() {
    static ImageViewHook none;
    return none;
}
}  // namespace

SonarDrawing::SonarDrawing(const SonarSettings& settings, SonarImage& image, ProfilePoints& points,
                           ImageViewHook* view)
    : settings_(settings), image_(image), points_(points), view_(view ? view : &NoView()) {}

void SonarDrawing::SetView(ImageViewHook* view) {
    view_ = view ? view : &NoView();
}

void SonarDrawing::Show(const ImageRect& rect) {
    if (rect.width > 0 && rect.height > 0)
        view_->CopyImageToWindow(rect);
}

void SonarDrawing::Show(const ImageParts& parts) {
    if (parts.bounds.width > 0 && parts.bounds.height > 0)
        view_->CopyImagePartsToWindow(parts);
}

FanParams FanParamsFor(const SonarSettings& settings, const ShotRecord& shot) {
    FanParams p;
    p.bearing = shot.HeadAngleRadians;
    p.drawDirection = shot.DrawDirection ? 1 : 0;
    p.speed = settings.Speed;
    p.polar = settings.GridMode == Polar;
    p.stepping = settings.SectorSize != 0;
    p.hanging = settings.ProfileGrid && !settings.ZeroDown;
    p.grid = settings.Grid != 0;
    return p;
}

void SonarDrawing::RedrawImage() {
    image_.DrawBusy = 1;
    {
        std::lock_guard<std::mutex> lock(image_.Mutex());
        ClearImage(image_);
    }
    DrawGrid();
    image_.DrawBusy = 0;
}

void SonarDrawing::DrawGrid() {
    {
        std::lock_guard<std::mutex> lock(image_.Mutex());
        DrawGridPixels(settings_, image_);
    }
    Show(WholeImage);
    DrawDredgeLine();
}

void SonarDrawing::DrawFan(const ShotRecord& shot, const EchoHistory& history,
                           int32_t sampleCount) {
    ImageParts changed;
    {
        std::lock_guard<std::mutex> lock(image_.Mutex());
        DrawFanPixels(fanTable_, FanParamsFor(settings_, shot), history, sampleCount, image_,
                      &changed);
    }
    WaitDrawIdle(image_);
    Show(changed);
}

void SonarDrawing::ShiftAndDrawFan(const ShotRecord& shot, EchoHistory& history,
                                   int32_t sampleCount) {
    ImageParts changed;
    {
        std::lock_guard<std::mutex> lock(image_.Mutex());
        ShiftHistory(history, shot.EchoLine, sampleCount);
        DrawFanPixels(fanTable_, FanParamsFor(settings_, shot), history, sampleCount, image_,
                      &changed);
    }
    WaitDrawIdle(image_);
    Show(changed);
}

void SonarDrawing::DrawSideScanLine(const EchoLineArray& echoLine, int32_t sampleCount,
                                    bool backwards) {
    {
        std::lock_guard<std::mutex> lock(image_.Mutex());
        DrawSideScanPixels(settings_, echoLine, sampleCount, backwards, image_);
    }
    Show(WholeImage);
}

void SonarDrawing::DrawProfilePointOnly(const ShotRecord& shot) {
    bool show;
    {
        std::lock_guard<std::mutex> lock(image_.Mutex());
        show = DrawProfilePointOnlyPixels(settings_, shot, points_, image_);
    }
    if (!show)
        return;
    WaitDrawIdle(image_);
    Show(WholeImage);
}

void SonarDrawing::DrawProfileMix(const ShotRecord& shot) {
    bool show;
    {
        std::lock_guard<std::mutex> lock(image_.Mutex());
        show = DrawProfileMixPixels(settings_, shot, points_, image_);
    }
    if (!show)
        return;
    WaitDrawIdle(image_);
    Show(WholeImage);
}

void SonarDrawing::DrawDredgeLine() {
    int32_t copies;
    {
        std::lock_guard<std::mutex> lock(image_.Mutex());
        copies = DrawDredgeLinePixels(settings_, points_, image_);
    }
    if (copies > 0)
        Show(WholeImage);
}

void SonarDrawing::ClearImageAndHistory(EchoLineArray& echoLine, EchoHistory& history,
                                        bool keepPointList, bool keepEchoLine) {
    std::lock_guard<std::mutex> lock(image_.Mutex());
    if (!keepEchoLine)
        echoLine.fill(0);
    history.OldestLine.fill(0);
    history.MiddleLine.fill(0);
    history.NewestLine.fill(0);
    ClearProfilePoints(points_, keepPointList);
}

}  // namespace tarvisk
