# Where an installation puts the program's pieces, relative to its prefix. The
# program recognises an installation by this layout (see
# app/runtime/programlayout.h), so these are fixed rather than options.
set(ZEDOZARIR_INSTALL_BINDIR "bin")
# The calendar library and the executables the program runs itself.
set(ZEDOZARIR_INSTALL_PRIVATEDIR "lib/zedozarir")
# The background picture and other files the program reads.
set(ZEDOZARIR_INSTALL_DATADIR "share/zedozarir")
