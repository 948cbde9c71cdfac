tarnwell_module(copyrun DEPS tw_transfer tw_numbering tw_support tw_host tw_platform TEST_DEPS tw_engine)
