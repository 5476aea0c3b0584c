/* The smallest Windows program and library the signing tests sign: they
 * only have to be well-formed PE files. Made with
 *   x86_64-w64-mingw32-gcc -Os -s -nostdlib -e Start -o unsigned-program.exe tiny.c
 *   x86_64-w64-mingw32-gcc -Os -s -nostdlib -shared -e Start -o unsigned-library.dll tiny.c
 */
__declspec(dllexport) int Answer(void) { return 42; }
int Start(void) { return 0; }
