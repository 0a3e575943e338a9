/*
 * The entries of _Application that the stand-in does not serve. The client
 * reaches the three served ones by their position in the table of operations
 * (40, 244 and 276), so every entry in between must exist. Both the IDL and
 * the C++ object expand these lists with their own STANDIN_SLOT(n), n being
 * the entry's position counted from 0 with IUnknown's and IDispatch's first.
 */
#define STANDIN_SLOTS_10(n)                                                                        \
    STANDIN_SLOT(n##0)                                                                             \
    STANDIN_SLOT(n##1)                                                                             \
    STANDIN_SLOT(n##2) STANDIN_SLOT(n##3) STANDIN_SLOT(n##4) STANDIN_SLOT(n##5) STANDIN_SLOT(n##6) \
        STANDIN_SLOT(n##7) STANDIN_SLOT(n##8) STANDIN_SLOT(n##9)
#define STANDIN_SLOTS_100(n)                                                                       \
    STANDIN_SLOTS_10(n##0)                                                                         \
    STANDIN_SLOTS_10(n##1)                                                                         \
    STANDIN_SLOTS_10(n##2) STANDIN_SLOTS_10(n##3) STANDIN_SLOTS_10(n##4) STANDIN_SLOTS_10(n##5)    \
        STANDIN_SLOTS_10(n##6) STANDIN_SLOTS_10(n##7) STANDIN_SLOTS_10(n##8)                       \
            STANDIN_SLOTS_10(n##9)

/* Entries 7 to 39. */
#define STANDIN_SLOTS_BEFORE_RANGE                                                                 \
    STANDIN_SLOT(7)                                                                                \
    STANDIN_SLOT(8) STANDIN_SLOT(9) STANDIN_SLOTS_10(1) STANDIN_SLOTS_10(2) STANDIN_SLOTS_10(3)

/* Entries 41 to 243. */
#define STANDIN_SLOTS_BEFORE_SETTING244                                                            \
    STANDIN_SLOT(41)                                                                               \
    STANDIN_SLOT(42)                                                                               \
    STANDIN_SLOT(43) STANDIN_SLOT(44) STANDIN_SLOT(45) STANDIN_SLOT(46) STANDIN_SLOT(47)           \
        STANDIN_SLOT(48) STANDIN_SLOT(49) STANDIN_SLOTS_10(5) STANDIN_SLOTS_10(6)                  \
            STANDIN_SLOTS_10(7) STANDIN_SLOTS_10(8) STANDIN_SLOTS_10(9) STANDIN_SLOTS_100(1)       \
                STANDIN_SLOTS_10(20) STANDIN_SLOTS_10(21) STANDIN_SLOTS_10(22)                     \
                    STANDIN_SLOTS_10(23) STANDIN_SLOT(240) STANDIN_SLOT(241) STANDIN_SLOT(242)     \
                        STANDIN_SLOT(243)

/* Entries 245 to 275. */
#define STANDIN_SLOTS_BEFORE_SETTING276                                                            \
    STANDIN_SLOT(245)                                                                              \
    STANDIN_SLOT(246)                                                                              \
    STANDIN_SLOT(247) STANDIN_SLOT(248) STANDIN_SLOT(249) STANDIN_SLOTS_10(25)                     \
        STANDIN_SLOTS_10(26) STANDIN_SLOT(270) STANDIN_SLOT(271) STANDIN_SLOT(272)                 \
            STANDIN_SLOT(273) STANDIN_SLOT(274) STANDIN_SLOT(275)
