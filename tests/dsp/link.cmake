# The processor link: framing and envelopes (pure), the link thread and the blocking exchange (loopback sockets).
meridane_add_test(dsp_link_framing_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/link/DspTcpFramerTest.cpp ${CMAKE_CURRENT_LIST_DIR}/link/DspEnvelopeTest.cpp
  LIBS meridane_dsp_link)
meridane_add_test(dsp_link_socket_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/link/DevDspTcpSocketThreadTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/link/DspBlockingExchangeTest.cpp
  LIBS meridane_dsp_link Qt5::Network)
