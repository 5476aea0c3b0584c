// A small library shipped on the demo medium: unit conversions of the
// installed program.

extern "C" {

__attribute__((visibility("default"))) double VgKilonewtonToKip(double kN) {
    return kN * 0.224808943;
}

__attribute__((visibility("default"))) double VgMillimetreToInch(double mm) {
    return mm / 25.4;
}

}
