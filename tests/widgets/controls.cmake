# The cleaning rules of the edits' value types, without Qt.
kiosk_test(valuetype_test LABEL widgets
  SOURCES valuetype_test.cpp
  LIBS kiosk_valuetype)

# The kiosk data grid and its table model.
kiosk_test(grid_test LABEL widgets
  SOURCES grid_test.cpp
  LIBS kiosk_grid Qt6::Test)

# The data-bound input controls.
kiosk_test(controls_test LABEL widgets
  SOURCES kestedit_test.cpp kesthelp_test.cpp checkedcombo_test.cpp
  LIBS kiosk_controls kiosk_testdoubles Qt6::Test)
# The lookups ask the demo station server.
add_dependencies(controls_test stationd)
