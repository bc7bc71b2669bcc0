#pragma once
// The one settings and run-state record of the program. Fields carry their TARVISK.INI key
// names; every number is a 32-bit value shared between the user-interface, acquisition and
// GPS threads without a lock (see shared_value.h).

#include "settings/settings_tables.h"
#include "settings/shared_value.h"

namespace tarvisk {

inline constexpr size_t UserTextSize = 32;        // as stored in every data record
inline constexpr size_t UserTextBufferSize = 80;  // the caption held in memory: 79 characters
inline constexpr size_t PathSize = 256;

struct SonarSettings {
    // Head command parameters.
    SharedInt Range{9};
    SharedInt RangeMeters{50};
    SharedInt Gain{6};
    SharedInt Train{0};
    SharedInt Speed{Fast};
    SharedInt SectorSectorSize{180};
    SharedInt PolarSectorSize{360};
    SharedInt SectorSize{360};
    SharedInt PulseLength{100};
    SharedInt Frequency{675};
    SharedInt Absorption{20};
    SharedInt RangeOffset{0};
    SharedInt LogF{1};
    SharedInt DataBits{8};
    SharedInt Profile{ProfileOff};
    SharedInt ProfileRequest{ProfileOff};  // written by the menu; the acquisition thread copies it
    SharedInt GridMode{Polar};
    SharedInt SSTrain{PortChannel};
    SharedInt SSChannel{PortChannel};
    SharedInt Xdcr{XdcrDown};
    SharedInt MasterHeadID{16};
    SharedInt SwitchDelay{10};
    SharedInt SendDelay{0};
    SharedInt TxDelay{10};
    SharedFloat ProfileMinimumRange{0.0f};
    SharedInt ProfileMinimumLevel{70};
    SharedInt ProfileDigitizationSource{0};
    SharedInt ProfileDetectionType{0};
    SharedFloat SoundVelocityMeters{1500.0f};
    SharedInt Units{Metres};
    const int32_t LowestRangeIndex = MinRangeIndex;
    const int32_t HighestRangeIndex = MaxRangeIndex;

    // Derived from Range.
    SharedFloat RangeScale{1.0f};
    SharedFloat SampleSpacing{0.1f};

    // Display and options.
    SharedInt Grid{1};
    SharedInt Colors{0};
    SharedInt PixelZoom{1};
    SharedInt ProfileGrid{0};
    SharedInt ZeroDown{1};
    SharedInt OnWhenMinimized{1};
    SharedInt PlotSpeed{80};
    SharedInt IOCard{1};
    SharedInt ConfigType{1};
    SharedText<PathSize> ConfigFile{"Default"};
    SharedText<UserTextBufferSize> UserText{"Taldrium Technology Corp."};
    SharedFloat ProfileChainage{0.0f};
    SharedFloat ProfileElevation{0.0f};
    SharedFloat ProfileXOffset{0.0f};
    SharedFloat ProfileDredgeDepth{0.0f};
    SharedInt AutoProfileXYZ{1};
    SharedInt AutoProfileBMP{1};
    SharedInt AutoProfileSaveConfirmation{1};
    SharedInt AutoProfilePromptForScan{1};
    SharedInt AutoAzimuthXYZ{1};
    SharedInt AutoAzimuthStartAngle{600};
    SharedInt AutoAzimuthStopAngle{500};
    SharedInt AutoAzimuthIncAngle{100};
    SharedFloat VerticalAngleOffset{0.0f};
    SharedInt XYZTimestamp{1};
    SharedInt XYZLatLongElevation{1};
    SharedInt XYZRangeHorVer{1};
    SharedFloat RotateAngle{0.0f};

    // Ports and peripherals.
    SharedInt ComPort{0};
    SharedInt BaudIndex{5};
    SharedInt ComPortGPS{1};
    SharedInt GPSBaudRate{0};
    SharedInt UseGPS{0};
    SharedInt GPSType{1};
    SharedInt AzimuthDriveEnable{0};
    SharedInt SimulateAzimuthDrive{0};
    SharedInt AzimuthWindow{0};
    SharedInt AzimuthAngle{600};
    SharedInt EnableOrientationModule{1};
    SharedInt XYZPitchRollHeading{1};
    SharedFloat PitchOffset{0.0f};
    SharedFloat RollOffset{0.0f};
    SharedFloat HeadingOffset{0.0f};

    // Run state.
    SharedInt RunMode{0};
    SharedInt PreviousRunMode{0};
    SharedInt Hold{0};
    SharedInt ParametersChanged{1};
    SharedInt CalibrateRequest{0};
    SharedInt OneShotRequest{0};
    SharedInt ClearRequest{0};
    SharedInt FormatCheckRequest{0};
    SharedInt DiagnosticsShown{0};
    SharedInt HeadScanShown{0};
    SharedInt ClockSecond{0};
};

// The live head parameters saved while a file plays back, because each played record
// overwrites the working fields.
struct LiveCopy {
    int32_t RangeMeters = 50;
    int32_t Range = 9;
    int32_t Speed = Fast;
    int32_t Gain = 6;
    int32_t SectorSize = 360;
    int32_t Train = 0;
    int32_t RangeOffset = 0;
    int32_t Absorption = 20;
    int32_t DataBits = 8;
    int32_t LogF = 1;
    int32_t PulseLength = 100;
    int32_t GridMode = Polar;
    int32_t Xdcr = XdcrDown;
    float SoundVelocityMeters = 1500.0f;
    std::array<char, UserTextBufferSize> UserText{};
    float ProfileChainage = 0.0f;
    float ProfileElevation = 0.0f;
    float ProfileXOffset = 0.0f;
    float ProfileDredgeDepth = 0.0f;
    float VerticalAngleOffset = 0.0f;
    float PitchOffset = 0.0f;
    float RollOffset = 0.0f;
    float HeadingOffset = 0.0f;
};

// Sets Range and the values derived from it (RangeMeters, RangeScale, SampleSpacing).
// An index outside the table is ignored. The per-range user configuration is applied by the
// command layer, which knows whether auto frequency is on.
void ApplyRangeIndex(SonarSettings& settings, int32_t index);

// Sets GridMode and the working SectorSize that goes with it.
void ApplyDisplayMode(SonarSettings& settings, int32_t mode);
// In side scan the head looks to the chosen side: the working channel follows SSTrain, the
// sector is 0 and Train is 270 (Port) or 90 (Stbd). Outside side scan only the channel is set.
// What the train readout does on the panel, for the paths that never draw one (start-up,
// batch rendering).
void ApplySideScanTrain(SonarSettings& settings);
// The side the head looked to, from the Train of a side-scan shot (90 Stbd, 270 Port; any
// other train leaves the choice as it was); the working channel follows.
void ApplySideScanTrainFromTrain(SonarSettings& settings);

// Sets Range from a range in metres reported by the head; a value the table lacks is ignored.
void ApplyRangeMeters(SonarSettings& settings, int32_t meters);

// Frequency entry rule: nearest multiple of 5 kHz.
int32_t RoundFrequency(int32_t kilohertz);

LiveCopy SaveLiveCopy(const SonarSettings& settings);
void RestoreLiveCopy(SonarSettings& settings, const LiveCopy& copy);

// Label of the current range in the current units ("50 M", "150 FT").
std::string_view RangeLabel(const SonarSettings& settings);

}  // namespace tarvisk
