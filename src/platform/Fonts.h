#pragma once

// Maps the Japanese font families the forms ask for to the gothic face that
// is installed here, so captions never come out as empty boxes.
void InstallJapaneseFontSubstitutes();
