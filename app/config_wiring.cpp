#include "app/config_wiring.h"

#include "app/main_window.h"
#include "config/qt/settings_dialogs.h"
#include "config/qt/setup_dialogs.h"
#include "display/gps_readout.h"

namespace tarvisk {

void InstallConfigWiring(SonarSystem& system, MainWindow& window, LiveLink& link) {
    SonarSettings& s = system.settings;
    UserConfig& config = system.userConfig;
    LoadNamedConfiguration(config, s);

    StatusPanel& panel = window.Panel();
    // The auto setup follows every range, mode and units redraw of the range readout.
    panel.onRangeApplied = [&s, &config, &panel, previous = panel.onRangeApplied] {
        if (previous)
            previous();
        if (s.RunMode == 0 && s.ConfigType == 1 && ApplyConfigRow(config, s))
            panel.DrawFrequency();
    };

    FeatureSeams& seams = window.seams;
    HostWindow& host = window.Host();
    seams.settings = [&system, &window, &host, &s, &config, &panel] {
        if (s.RunMode == 1) {
            PlaybackSettingsDialog view(PlaybackSettingsView(s, system.link.LastReportedHeadId,
                                                             panel.State().FileFrequency),
                                        &host);
            view.exec();
            return;
        }
        SettingsDialog dialog(s, config, host, &host);
        dialog.Model().redrawFrequency = [&panel] { panel.DrawFrequency(); };
        dialog.exec();
        panel.DrawFrequency();
        s.ParametersChanged = 1;
        (void)window;
    };
    seams.comPorts = [&system, &window, &host, &s, &link] {
        ComPortModel model(s, system.ports, system.portAvailability);
        ComPortDialog dialog(
            model,
            [&] {
                link.Stop();
                model.Store(s, system.ports, system.portAvailability);
                link.Start();
                if (s.UseGPS == 0) {
                    // The input is stopped: its last position must not stay on show.
                    system.gps.Age = 5;
                    ShowGpsPosition(window.Surface(), system.gps, s, false, false);
                }
            },
            &host);
        dialog.exec();
        s.ParametersChanged = 1;
    };
    seams.soundVelocity = [&system, &window, &host, &s, &panel] {
        const float before = s.SoundVelocityMeters;
        SoundVelocityDialog dialog(s, &host);
        dialog.exec();
        const float after = s.SoundVelocityMeters;
        if (after == before || s.Grid == 0)
            return;
        // Erase the grid drawn for the old velocity before the new one is drawn.
        system.image.DrawBusy = 1;
        s.SoundVelocityMeters = before;
        s.Grid = 0;
        system.drawing.DrawGrid();
        s.Grid = 1;
        s.SoundVelocityMeters = after;
        system.image.DrawBusy = 0;
        panel.DrawGridLabel();
        window.GridRedraw();
    };
    seams.rotateImage = [&window, &host, &s, &panel] {
        RotateImageDialog dialog(s, &host);
        dialog.exec();
        window.RedrawImage();
        panel.DrawSectorDial();
    };
    seams.userText = [&host, &s, &panel] {
        UserTextDialog dialog(s, &host);
        dialog.exec();
        panel.DrawUserText();
    };
    seams.profileSetup = [&host, &s] {
        ProfileSetupDialog dialog(s, &host);
        dialog.exec();
    };
    seams.about = [&host, &s] {
        AboutDialog dialog(&host);
        dialog.exec();
        if (s.RunMode == 0)
            s.ParametersChanged = 1;
    };
}

}  // namespace tarvisk
