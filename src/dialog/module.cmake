tarnwell_module(dialog DEPS tw_copyrun tw_support tw_numbering tw_host tw_platform TEST_DEPS tw_engine)
