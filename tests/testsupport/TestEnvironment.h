#pragma once

namespace kolvar::test {

// Pins the Polish locale and the Warsaw time zone, so that collation, number and date formats do
// not depend on the machine the tests run on. Runs itself before main() through a static
// initialiser in TestEnvironment.cpp; calling it again is harmless.
void pinEnvironment();

} // namespace kolvar::test
