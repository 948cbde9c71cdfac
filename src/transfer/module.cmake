tarnwell_module(transfer DEPS tw_support tw_host tw_platform TEST_DEPS tw_engine)
