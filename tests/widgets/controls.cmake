# The cleaning rules of the edits' value types, without Qt.
kiosk_test(valuetype_test LABEL widgets
  SOURCES valuetype_test.cpp
  LIBS kiosk_valuetype)
