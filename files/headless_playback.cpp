#include "files/headless_playback.h"

namespace tarvisk {

namespace {
ShotHooks PipelineHooks(FileShotHooks& hooks, DelayHook& delay) {
    ShotHooks h;
    h.recorder = &hooks;
    h.delay = &delay;
    return h;
}
}  // namespace

HeadlessPlayback::HeadlessPlayback()
    : pipeline(settings, link, drawing, history, profileRecords, imaging,
               PipelineHooks(hooks, delay)),
      commands(settings, link.Expected, link.Reply, ui, hooks) {
    hooks.Attach(commands, pipeline);
}

bool HeadlessPlayback::Open(const std::string& path) {
    settings.RunMode = 1;
    return commands.OpenPlaybackFile(path);
}

}  // namespace tarvisk
